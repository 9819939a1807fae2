#pragma once

#include "export/export_facility.h"

#include <QDialog>

#include <functional>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTableWidget;
class QTabWidget;
class ExportSource;

// The export dialog over the facility's list: the format, the destination, what is written and
// how; it writes the file and keeps its settings in the facility for the next time.
class ExportDialog : public QDialog {
    Q_OBJECT
public:
    ExportDialog(ExportFacility& facility, QWidget* parent = nullptr);
    ~ExportDialog() override;

public slots:
    void SelectButtonClick();
    void StartButtonClick();
    void LoadSettingsClick();
    void SaveSettingsClick();
    void ExportToChange();

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    QWidget* buildFormatList();
    QWidget* buildDestination();
    QTabWidget* buildPages();
    QWidget* buildRangePage();
    QWidget* buildFieldsPage();
    QWidget* buildFormatsPage();
    QWidget* buildTextsPage();
    QWidget* buildCaptionsPage();
    QWidget* buildOptionsPage();
    QWidget* buildButtons();

    ExportFormat chosenFormat() const;
    void showSettings();
    void takeSettings();
    void showFields();
    void takeFields();
    void followFormatInFileName();
    void runChosenExport();
    bool showProgress(int done, int total);
    void afterExport(int rows);
    void printExport();
    void setRunning(bool running);

    ExportFacility& m_facility;
    ExportSettings& m_settings;
    std::unique_ptr<ExportSource> m_source;
    // Each control bound to a setting: what shows the setting, and what takes it back.
    std::vector<std::pair<std::function<void()>, std::function<void()>>> m_bindings;

    QListWidget* ExportTo = nullptr;
    QLineEdit* FileName = nullptr;
    QCheckBox* OpenAfterExport = nullptr;
    QCheckBox* PrintAfterExport = nullptr;
    QTabWidget* Pages = nullptr;
    QSpinBox* FirstRecord = nullptr;
    QSpinBox* LastRecord = nullptr;
    QListWidget* Fields = nullptr;
    QTableWidget* Captions = nullptr;
    QStackedWidget* FormatOptions = nullptr;
    QProgressBar* Progress = nullptr;
    QLabel* StatusLabel = nullptr;
    QPushButton* StartButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* CloseButton = nullptr;
    QPushButton* ToolsButton = nullptr;
    bool m_running = false;
    bool m_cancelled = false;
};
