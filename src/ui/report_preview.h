#pragma once

#include "report/report_model.h"

#include <QDialog>

class QLabel;
class QPrinter;
class QScrollArea;
class QToolButton;

namespace Report {

class PageView;

// The modal print preview of one run: one page at a time, laid out when it is shown, so a
// report of thousands of pages opens as fast as one of a single page. Prints through the print
// dialog and saves a PDF.
class Preview : public QDialog {
    Q_OBJECT
public:
    explicit Preview(const Run& run, QWidget* parent = nullptr);
    ~Preview() override;

    const Run& run() const { return m_run; }
    int currentPage() const; // from 0
    double zoom() const;     // screen pixels to a millimetre

    // Writes every page to `path` as one PDF; a file is there afterwards only when it is whole.
    // A failure is told to the user, naming the path.
    bool savePdf(const QString& path);
    // Prints the pages of the printer's range; a failing printer is told to the user.
    bool printTo(QPrinter& printer);

public slots:
    void PrintButtonClick();
    void SavePdfButtonClick();
    void showPage(int index);
    void zoomBy(double factor);
    void fitWidth();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QToolButton* button(const char* name, const QString& caption, const QString& tip);
    void updateControls();
    void failed(const QString& text);

    const Run& m_run;
    QScrollArea* m_scroll;
    PageView* m_view;
    QLabel* m_label;
    bool m_fitWidth = true;
};

} // namespace Report
