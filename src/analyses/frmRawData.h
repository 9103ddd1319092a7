#pragma once

#include <QDialog>
#include <memory>

class Prompts;
class RawDataModel;

namespace Ui {
class frmRawData;
}

// The raw data list: every record of the last control chart as its listing file holds it, with
// the records behind the clicked point selected. A failure while loading is reported through
// prompts and the window keeps whatever it loaded.
class frmRawData : public QDialog
{
    Q_OBJECT

public:
    // rawDataFile: the listing the chart loaders wrote. point: the clicked point of the data series,
    // 0-based over the whole series; in X-bar mode it stands for subgroupSize records, in
    // Individual mode for one.
    frmRawData(const QString& rawDataFile, bool individual, qint64 point, int subgroupSize, Prompts& prompts,
               QWidget* parent = nullptr);
    ~frmRawData() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void LoadRawData(const QString& rawDataFile, qint64 firstRow, qint64 lastRow);
    void showError(const QString& description);

    std::unique_ptr<Ui::frmRawData> ui;
    Prompts& m_prompts;
    RawDataModel* m_model; // owned by this window
    QString m_title;       // the column heads
};
