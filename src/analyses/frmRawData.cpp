#include "frmRawData.h"

#include "Prompts.h"
#include "RawDataModel.h"
#include "ui_frmRawData.h"

#include <QFontDatabase>
#include <QItemSelection>
#include <QStyledItemDelegate>
#include <algorithm>
#include <vector>

namespace {

// The column heads over the listing's serial, value, source and date.
const QString kTitle = QStringLiteral(" Reference") + QString(36, QLatin1Char(' ')) +
                       QStringLiteral("Value           Source              Date/Time");

// Shows a listing line with its tabs reaching the columns of the heads above the list, so that
// values, sources and dates stand under "Value", "Source" and "Date/Time" in the fixed-width
// font; past the last head, tabs stop every eight columns. The line itself stays as written.
class ListingDelegate : public QStyledItemDelegate
{
public:
    explicit ListingDelegate(QObject* parent) : QStyledItemDelegate(parent)
    {
        for (const char* head : {"Value", "Source", "Date/Time"}) {
            m_stops.push_back(kTitle.indexOf(QLatin1String(head)));
        }
    }

    QString displayText(const QVariant& value, const QLocale&) const override
    {
        const QString line = value.toString();
        QString shown;
        shown.reserve(line.size() + 64);
        for (const QChar c : line) {
            if (c != QLatin1Char('\t')) {
                shown += c;
                continue;
            }
            const auto next = std::upper_bound(m_stops.begin(), m_stops.end(), shown.size());
            const qsizetype stop =
                next != m_stops.end() ? *next : m_stops.back() + (shown.size() - m_stops.back()) / 8 * 8 + 8;
            shown += QString(stop - shown.size(), QLatin1Char(' '));
        }
        return shown;
    }

private:
    std::vector<qsizetype> m_stops;
};

QFont listingFont()
{
    const QString courier = QStringLiteral("Courier New");
    return QFontDatabase::hasFamily(courier) ? QFont(courier) : QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

} // namespace

frmRawData::frmRawData(const QString& rawDataFile, bool individual, qint64 point, int subgroupSize, Prompts& prompts,
                       QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmRawData>()), m_prompts(prompts), m_model(new RawDataModel(this))
{
    ui->setupUi(this);
    const QFont font = listingFont();
    ui->lblTitle->setFont(font);
    ui->lstRawData->setFont(font);
    ui->lstRawData->setModel(m_model);
    ui->lstRawData->setItemDelegate(new ListingDelegate(ui->lstRawData));
    connect(ui->cmdClose, &QPushButton::clicked, this, &QDialog::accept);

    const qint64 firstRow = individual ? point : point * subgroupSize;
    LoadRawData(rawDataFile, firstRow, individual ? firstRow : firstRow + subgroupSize - 1);
}

frmRawData::~frmRawData() = default;

void frmRawData::LoadRawData(const QString& rawDataFile, qint64 firstRow, qint64 lastRow)
{
    ui->lblTitle->setText(kTitle);
    if (!m_model->open(rawDataFile)) {
        showError(m_model->errorString());
        return;
    }
    // The rows that exist are selected even when the point's block runs past the list.
    const qint64 rows = m_model->rowCount();
    if (firstRow >= 0 && firstRow < rows) {
        const QModelIndex first = m_model->index(static_cast<int>(firstRow));
        const QModelIndex last = m_model->index(static_cast<int>(std::min(lastRow, rows - 1)));
        QItemSelectionModel* selection = ui->lstRawData->selectionModel();
        selection->select(QItemSelection(first, last), QItemSelectionModel::ClearAndSelect);
        selection->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
    }
    if (firstRow < 0 || lastRow >= rows) {
        showError(QStringLiteral("Invalid property array index"));
    }
}

void frmRawData::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Centred once the list has its size on screen.
    ui->lstRawData->scrollTo(ui->lstRawData->currentIndex(), QAbstractItemView::PositionAtCenter);
}

void frmRawData::showError(const QString& description)
{
    m_prompts.message(description + QLatin1Char('!'), MsgIcon::Exclamation, MsgButtons::OK,
                      QStringLiteral("Open Raw Data"));
}
