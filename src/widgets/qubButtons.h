#pragma once
// TqubBitBtn, the program's bitmap button: a push button with a glyph and,
// for the standard kinds, the standard caption, glyph and dialog result.

#include <QPushButton>

class TqubBitBtn : public QPushButton
{
    Q_OBJECT

public:
    enum class Kind {
        Custom, ///< caption and glyph as set; no dialog result of its own
        OK,     ///< "OK", closes its dialog accepted; the dialog's default button
        Cancel, ///< "Cancel", closes its dialog rejected
    };
    Q_ENUM(Kind)

    explicit TqubBitBtn(QWidget *parent = nullptr);

    /// Takes the kind's caption, glyph and dialog result.
    void setKind(Kind kind);
    Kind kind() const { return m_kind; }

    /// The result its dialog closes with when clicked (QDialog::Accepted or
    /// QDialog::Rejected); -1 for none.
    void setModalResult(int result) { m_modalResult = result; }
    int modalResult() const { return m_modalResult; }

private:
    void closeDialog();

    Kind m_kind = Kind::Custom;
    int m_modalResult = -1;
};
