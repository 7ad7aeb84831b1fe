#pragma once
// TDBEdit: an edit box bound to one field of a data source's current row.
// Typing starts editing the row when the data source allows it (otherwise the
// keystroke is refused) and writes the field as the text changes; a text the
// field cannot take yet (a half-typed number) waits and is reported when the
// box is left, Enter is pressed, or the row is posted through the kit.

#include "DataAware.h"
#include "engine/DataSource.h"

#include <QLineEdit>
#include <QPointer>

class TDBEdit : public QLineEdit, public DataAwareControl
{
    Q_OBJECT

public:
    explicit TDBEdit(QWidget *parent = nullptr);
    ~TDBEdit() override;

    void setDataSource(db::DataSource *source);
    db::DataSource *dataSource() const { return m_source; }
    void setDataField(const QString &fieldName);
    const QString &dataField() const { return m_fieldName; }
    /// The bound field; nullptr while unbound or the dataset has no such field.
    db::Field *field() const;

    /// The box's own read-only option; the box is read-only also when its
    /// field is (read-only, calculated or looked up).
    void setDataReadOnly(bool readOnly);
    bool isDataReadOnly() const { return m_dataReadOnly; }

    /// The next control of a window's entry chain (the box Enter moves to).
    void setNextControl(QWidget *next) { m_next = next; }
    QWidget *nextControl() const { return m_next; }

    /// Shows the field's current text again, dropping any waiting text.
    void refresh();
    /// Whether typed text is waiting to be written.
    bool hasPendingText() const { return m_pending; }

    db::Dataset *linkedDataset() const override;
    /// Writes waiting text; throws db::DataError when the field refuses it.
    void updateRecord() override;

signals:
    /// Enter or Return, after waiting text was written (even when the mask
    /// is not filled, unlike returnPressed).
    void enterPressed();
    void doubleClicked();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void textWasEdited();
    void fieldChanged(db::Field *field);
    void applyFieldFormat(db::Field *field);
    QString storedText(const db::Field *field) const;
    void reportPending();

    QPointer<db::DataSource> m_source;
    QString m_fieldName;
    QString m_appliedMask;
    QPointer<QWidget> m_next;
    bool m_dataReadOnly = false;
    bool m_writing = false;
    bool m_pending = false;
    bool m_reporting = false;
    QList<QMetaObject::Connection> m_connections;
};
