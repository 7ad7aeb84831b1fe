#pragma once
// TDBLookupComboBox: a drop-down list of the rows of a data source's dataset
// (the list source), each shown by one field and standing for the value of
// another (the key). The box edits no record: its value is the key of the
// chosen row, and choosing a row makes it the list dataset's current row.
// It can show a value its list does not hold (yet), such as the date of a
// catalogue that has no stored product.

#include "EntryPanel.h"
#include "engine/DataSource.h"

#include <QComboBox>
#include <QPointer>
#include <QVariant>

class TDBLookupComboBox : public QComboBox, public CatalogueDateBox
{
    Q_OBJECT

public:
    explicit TDBLookupComboBox(QWidget *parent = nullptr);
    ~TDBLookupComboBox() override;

    /// The rows listed; the list follows the dataset as it opens, closes
    /// and is read again.
    void setListSource(db::DataSource *source);
    db::DataSource *listSource() const { return m_source; }
    /// The field whose value the box stands for, and the one each row shows.
    void setKeyField(const QString &name);
    void setListField(const QString &name);

    /// The key of the chosen row, or the value set; null when there is none.
    QVariant keyValue() const { return m_keyValue; }
    /// Chooses the row whose key is `value`; when no row has it, none is
    /// chosen and the box shows `value` as the list field would show it
    /// (nothing for null).
    void setKeyValue(const QVariant &value);
    /// The text the box shows.
    QString shownText() const;

    void enableDateBox() override { setEnabled(true); }
    void showCatalogueDate(const QVariant &date) override { setKeyValue(date); }

    void hidePopup() override;

signals:
    /// The list closed, after the user's choice (if any) was made; also
    /// after a choice made with the keys while the list was closed.
    void closeUp();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void reloadList();
    void userChose(int index);
    void announceCloseUp();
    /// The row index whose key is `value`; -1 when none.
    int indexOfKey(const QVariant &value) const;

    QPointer<db::DataSource> m_source;
    QString m_keyField;
    QString m_listField;
    QVariant m_keyValue;
    QString m_unlistedText;
    bool m_closeUpPending = false;
    QList<QMetaObject::Connection> m_connections;
};
