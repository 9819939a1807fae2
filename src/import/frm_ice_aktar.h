#pragma once

#include "import/import_check.h"

#include <QDialog>

#include <atomic>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QThread;
struct Forms;

// Bringing trainees or payments in from a CSV, Excel or DBF file: the file is read, its columns
// matched to the fields, every row checked on a worker thread while the window stays free, and only
// then written, all in one transaction.
class frm_ice_aktar : public QDialog {
    Q_OBJECT
public:
    explicit frm_ice_aktar(Forms& forms, QWidget* parent = nullptr);
    ~frm_ice_aktar() override;

    // Shows the dialog until it is closed; true when an import wrote anything.
    bool start();

public slots:
    void SecButtonClick();
    void OkuButtonClick();
    void AktarimTuruChange();
    void EslesmeKaydetClick();
    void EslesmeYukleClick();
    void AktarButtonClick();
    void RaporKaydetClick();
    void DurdurButtonClick();

protected:
    void reject() override;

private:
    struct CheckRun;

    QWidget* buildFileRow();
    QWidget* buildOptions();
    QWidget* buildButtons();
    ImportKind kind() const;
    ImportOptions options() const;
    ImportSetup setup() const;
    QString path() const;

    void openFile();
    void showFileFacts();
    void followKind();
    void showMatching(const Matching& matching);
    Matching matching() const;
    void matchingChanged(int column);
    void readKnownRecords(ImportKind wanted);
    void startCheck();
    void clearCheck(const QString& status);
    void showPreview(const CheckSummary& summary);
    void checkFinished(const CheckSummary& summary);
    void checkFailed(const QString& message);
    void setWriting(bool writing);
    bool showWriteProgress(double done);

    Forms& m_forms;
    QLineEdit* DosyaEdit;
    QPushButton* SecButton;
    QPushButton* OkuButton;
    QComboBox* KodlamaSecimi;
    QComboBox* SayfaSecimi;
    QCheckBox* BaslikSatiri;
    QComboBox* AktarimTuru;
    QComboBox* MevcutSecimi;
    QCheckBox* KirpSecimi;
    QTableWidget* EslesmeTablosu;
    QPushButton* EslesmeKaydet;
    QPushButton* EslesmeYukle;
    QTableWidget* OnizlemeTablosu;
    QLabel* SorunLabel;
    QProgressBar* Ilerleme;
    QLabel* SonucLabel;
    QPushButton* RaporKaydet;
    QPushButton* AktarButton;
    QPushButton* DurdurButton;
    QPushButton* KapatButton;

    // The file as last read: its facts and captions; the encoding the user chose, if any.
    std::optional<ImportFileFacts> m_facts;
    QStringList m_captions;
    std::optional<ImportEncoding> m_chosenEncoding;
    std::unique_ptr<CheckRun> m_check;
    std::optional<CheckSummary> m_summary;
    KnownRecords m_known;
    std::optional<ImportKind> m_knownKind;
    bool m_writing = false;
    bool m_stopWriting = false;
    bool m_wrote = false;
};
