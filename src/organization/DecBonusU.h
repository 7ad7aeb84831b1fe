#pragma once
// TfrmDecipherBonus: how one member's bonus was made up, entry by entry.

#include <QDialog>

class LocCatalogue;
class QPlainTextEdit;
struct TDepMember;

class TfrmDecipherBonus : public QDialog
{
    Q_OBJECT

public:
    /// `detail`: the member's explanation, entries separated by LF CR.
    TfrmDecipherBonus(LocCatalogue &catalogue, const TDepMember &member, const QString &detail,
                      QWidget *parent = nullptr);

    QPlainTextEdit *memDecipherBonus() const { return m_memo; }

private:
    QPlainTextEdit *m_memo;
};
