#pragma once

#include "cashdesk/overdue_list.h"

#include <QDialog>

#include <memory>
#include <optional>
#include <vector>

class DataGrid;
class DataSource;
class ExportFacility;
class QDateEdit;
class QLabel;
class QModelIndex;
class QPushButton;
struct Forms;

// The trainees with installments due before a day and still unpaid, with the reminders sent to them.
class frm_geciken_taksitler : public QDialog {
    Q_OBJECT
public:
    explicit frm_geciken_taksitler(Forms& forms, QWidget* parent = nullptr);
    ~frm_geciken_taksitler() override;

    // Fills the window afresh and shows it until it is closed; returns the trainee whose row was
    // double-clicked, for the main list to show.
    std::optional<qint64> start();

public slots:
    void TarihEditChange();
    void GecikenListesiTitleClick(const QString& field);
    void GecikenListesiDblClick(const QModelIndex& row);
    void YazdirButtonClick();
    void ExportButtonClick();
    void HatirlatButtonClick();
    void SmsListesiButtonClick();

private:
    void reload();
    std::vector<ReminderTarget> selectedTargets() const;
    bool warnWhenNoneSelected(const std::vector<ReminderTarget>& targets);

    Forms& m_forms;
    DataSource* m_source;
    std::unique_ptr<ExportFacility> m_export;
    OverdueList::Sort m_sort;
    std::optional<qint64> m_chosen;
    QDateEdit* TarihEdit;
    DataGrid* GecikenListesi;
    QLabel* ToplamLabel;
    QPushButton* YazdirButton;
    QPushButton* ExportButton;
    QPushButton* HatirlatButton;
    QPushButton* SmsListesiButton;
    QPushButton* KapatButton;
};
