#include "frmRawData.h"

#include "Prompts.h"
#include "RawDataModel.h"
#include "ui_frmRawData.h"

#include <QFontDatabase>
#include <QItemSelection>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>
#include <vector>

namespace {

// The column heads over the listing's serial, value, source and date, at their places when every
// field fits.
const QString kTitle = QStringLiteral(" Reference") + QString(36, QLatin1Char(' ')) +
                       QStringLiteral("Value           Source              Date/Time");
const QStringList kHeads{QStringLiteral("Value"), QStringLiteral("Source"), QStringLiteral("Date/Time")};
// Blanks at least between a field and the next.
constexpr qsizetype kFieldGap = 2;

// Where each field after the first starts: under its head, or further right where the widest
// text of the field before needs it.
std::vector<qsizetype> FieldStops(const std::vector<qsizetype>& widths)
{
    std::vector<qsizetype> stops;
    qsizetype start = 0;
    for (size_t field = 1; field < widths.size(); ++field) {
        const qsizetype head = field <= size_t(kHeads.size()) ? kTitle.indexOf(kHeads[qsizetype(field) - 1]) : 0;
        start = std::max(head, start + widths[field - 1] + kFieldGap);
        stops.push_back(start);
    }
    return stops;
}

// The heads placed over the fields that start at stops.
QString TitleOver(const std::vector<qsizetype>& stops)
{
    QString title = QStringLiteral(" Reference");
    for (qsizetype i = 0; i < kHeads.size() && size_t(i) < stops.size(); ++i) {
        title = title.leftJustified(stops[size_t(i)]) + kHeads[i];
    }
    return title;
}

// Shows a listing line with each tab reaching the start of the next field, so that values,
// sources and dates stand in columns under their heads in the fixed-width font; past the last
// field, tabs stop every eight columns. The line itself stays as written. Every row is as wide
// as the widest, so the list scrolls sideways when the window is narrower.
class ListingDelegate : public QStyledItemDelegate
{
public:
    ListingDelegate(std::vector<qsizetype> stops, qsizetype lineLength, QObject* parent)
        : QStyledItemDelegate(parent), m_stops(std::move(stops)), m_lineLength(lineLength)
    {
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
            const qsizetype last = m_stops.empty() ? 0 : m_stops.back();
            const qsizetype stop = next != m_stops.end() ? *next : last + (shown.size() - last) / 8 * 8 + 8;
            shown += QString(stop - shown.size(), QLatin1Char(' '));
        }
        return shown;
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QSize size = QStyledItemDelegate::sizeHint(option, index);
        const int text = option.fontMetrics.horizontalAdvance(QString(m_lineLength, QLatin1Char('0')));
        return {std::max(size.width(), text + 2 * option.fontMetrics.averageCharWidth()), size.height()};
    }

private:
    std::vector<qsizetype> m_stops;
    qsizetype m_lineLength;
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
    ui->lstRawData->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // The heads scroll sideways with the list, a character at a time.
    connect(ui->lstRawData->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int shift) {
        ui->lblTitle->setText(m_title.mid(shift / ui->lblTitle->fontMetrics().horizontalAdvance(QLatin1Char('0'))));
    });
    connect(ui->cmdClose, &QPushButton::clicked, this, &QDialog::accept);

    const qint64 firstRow = individual ? point : point * subgroupSize;
    LoadRawData(rawDataFile, firstRow, individual ? firstRow : firstRow + subgroupSize - 1);
}

frmRawData::~frmRawData() = default;

void frmRawData::LoadRawData(const QString& rawDataFile, qint64 firstRow, qint64 lastRow)
{
    const bool opened = m_model->open(rawDataFile);
    const std::vector<qsizetype>& widths = m_model->fieldWidths();
    const std::vector<qsizetype> stops = FieldStops(widths);
    const qsizetype lineLength = widths.empty() ? 0 : (stops.empty() ? 0 : stops.back()) + widths.back();
    ui->lstRawData->setItemDelegate(new ListingDelegate(stops, lineLength, ui->lstRawData));
    m_title = stops.empty() ? kTitle : TitleOver(stops);
    ui->lblTitle->setText(m_title);
    if (!opened) {
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
