#pragma once

#include "search/record_search.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class frm_DataMod;
struct Forms;

// Narrows the trainee list to the trainees that match the criteria: only the filter line of the
// list's statement is rewritten, so a sort chosen in the list stays in force. Every opening
// starts from empty criteria.
class frm_kayit_ara : public QDialog {
    Q_OBJECT
public:
    explicit frm_kayit_ara(Forms& forms, QWidget* parent = nullptr);

public slots:
    void FormShow();
    void Button1Click();
    void Button2Click();
    void ShowAllRecords();
    void AddCondition(const QString& field, const QString& value);

protected:
    void showEvent(QShowEvent* event) override;

private:
    frm_DataMod& data() const;
    RecordSearch::MatchKind matchKind() const;
    // A list that cannot be read with the new filter is given back as it was.
    void reopenTrainees(const QString& filterLine);

    Forms& m_forms;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QComboBox* cb1;
    QLineEdit* Edit4;
    QComboBox* cb2;
    QListWidget* ListBox1;
    QPushButton* Button1;
    QPushButton* Button2;
};
