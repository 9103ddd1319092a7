#include "LimitFileFormat.h"

#include <QHash>
#include <QStringList>
#include <cmath>

namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
const QString kLimitsSection = QStringLiteral("Limits");
const QString kRetiredSection = QStringLiteral("Retired Limits");
const QString kStageSection = QStringLiteral("Stage");

QString escaped(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\')) {
            out += QStringLiteral("\\\\");
        } else if (c == QLatin1Char('\n')) {
            out += QStringLiteral("\\n");
        } else if (c != QLatin1Char('\r')) {
            out += c;
        }
    }
    return out;
}

QString unescaped(const QString& text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\\') && i + 1 < text.size()) {
            ++i;
            out += text[i] == QLatin1Char('n') ? QChar(QLatin1Char('\n')) : text[i];
        } else {
            out += text[i];
        }
    }
    return out;
}

QString timeText(const QDateTime& time)
{
    return time.isValid() ? time.toString(kTimeFormat) : QString();
}

// Lines of one block, "Key=value" each, in the order they are written.
class BlockWriter
{
public:
    explicit BlockWriter(const QString& section) : m_text(QLatin1Char('[') + section + QStringLiteral("]\n")) {}

    BlockWriter& text(const char* key, const QString& value)
    {
        m_text += QLatin1String(key) + QLatin1Char('=') + escaped(value) + QLatin1Char('\n');
        return *this;
    }
    BlockWriter& number(const char* key, double value) { return text(key, QString::number(value, 'g', 17)); }
    BlockWriter& count(const char* key, qint64 value) { return text(key, QString::number(value)); }
    BlockWriter& time(const char* key, const QDateTime& value) { return text(key, timeText(value)); }
    BlockWriter& yesNo(const char* key, bool value)
    {
        return text(key, value ? QStringLiteral("yes") : QStringLiteral("no"));
    }
    QString done() const { return m_text; }

private:
    QString m_text;
};

BlockWriter& writeSet(BlockWriter& w, const LimitSet& s)
{
    const LimitBaseline& b = s.baseline;
    return w.text("Product", s.key.product)
        .text("Parameter", s.key.parameter)
        .text("Chart", LimitChartName(s.key.chart))
        .count("Size", s.key.chart == LimitChartKind::XBar ? s.key.subgroupSize : 1)
        .text("Source", s.key.source)
        .number("Centre", s.centre)
        .number("UCL", s.ucl)
        .number("LCL", s.lcl)
        .number("RangeCentre", s.rangeCentre)
        .number("RangeUCL", s.rangeUcl)
        .number("RangeLCL", s.rangeLcl)
        .number("Sigma", s.sigma)
        .time("BaselineFrom", b.first)
        .time("BaselineTo", b.last)
        .text("BaselineSource", b.source)
        .text("BaselineTestID", b.testId)
        .yesNo("BaselinePassOnly", b.passOnly)
        .yesNo("BaselineLastDataOnly", b.lastDataOnly)
        .yesNo("BaselineAcceptZero", b.acceptZero)
        .count("BaselinePoints", b.points)
        .count("BaselineRecords", b.records)
        .time("FrozenAt", s.frozenAt)
        .text("FrozenBy", s.frozenBy)
        .text("Comment", s.comment);
}

QString setBlock(const LimitSet& s, bool retired)
{
    BlockWriter w(retired ? kRetiredSection : kLimitsSection);
    writeSet(w, s);
    if (retired) {
        w.time("RetiredAt", s.retiredAt).text("RetiredBy", s.retiredBy).text("Retired", s.retiredHow);
    }
    return w.done();
}

// The keys of one block as read, with their lines; the readers below note the first value that
// cannot be used.
class BlockReader
{
public:
    BlockReader(QString section, int line) : m_section(std::move(section)), m_line(line) {}

    const QString& section() const { return m_section; }
    bool add(const QString& key, const QString& value, int line)
    {
        const QString k = key.toLower();
        if (m_values.contains(k)) {
            return false;
        }
        m_values.insert(k, {unescaped(value), line});
        return true;
    }

    QString text(const char* key, bool required = true)
    {
        const auto found = m_values.constFind(QString::fromLatin1(key).toLower());
        if (found == m_values.cend()) {
            if (required) {
                fail(m_line, QStringLiteral("[%1] has no %2").arg(m_section, QLatin1String(key)));
            }
            return {};
        }
        m_lastLine = found->second;
        return found->first;
    }
    double number(const char* key)
    {
        const QString t = text(key);
        bool ok = false;
        const double v = t.toDouble(&ok);
        if (!ok || !std::isfinite(v)) {
            failValue(key, t, "a number");
        }
        return v;
    }
    qint64 count(const char* key)
    {
        const QString t = text(key);
        bool ok = false;
        const qint64 v = t.toLongLong(&ok);
        if (!ok || v < 0) {
            failValue(key, t, "a count");
        }
        return v;
    }
    QDateTime time(const char* key, bool required = true)
    {
        const QString t = text(key, required);
        const QDateTime v = QDateTime::fromString(t, kTimeFormat);
        if (!v.isValid() && (required || !t.isEmpty())) {
            failValue(key, t, "a time (yyyy-MM-dd HH:mm:ss)");
        }
        return v;
    }
    bool yesNo(const char* key)
    {
        const QString t = text(key, false).toLower();
        if (t != QLatin1String("yes") && t != QLatin1String("no") && !t.isEmpty()) {
            failValue(key, t, "yes or no");
        }
        return t != QLatin1String("no");
    }
    LimitChartKind chart(const char* key)
    {
        const QString t = text(key);
        const std::optional<LimitChartKind> kind = LimitChartFromName(t);
        if (!kind) {
            failValue(key, t, "xbar or individual");
        }
        return kind.value_or(LimitChartKind::XBar);
    }

    const QString& problem() const { return m_problem; }
    void fail(int line, const QString& what)
    {
        if (m_problem.isEmpty()) {
            m_problem = QStringLiteral("line %1: %2").arg(line).arg(what);
        }
    }

    // At the line of the key read last.
    void failLast(const QString& what) { fail(m_lastLine, what); }

private:
    void failValue(const char* key, const QString& text, const char* kind)
    {
        fail(m_lastLine, QStringLiteral("%1 is not %2: \"%3\"").arg(QLatin1String(key), QLatin1String(kind), text));
    }

    QString m_section;
    int m_line;
    int m_lastLine = 0;
    QHash<QString, std::pair<QString, int>> m_values;
    QString m_problem;
};

LimitSet readSet(BlockReader& r, bool retired)
{
    LimitSet s;
    s.key.product = r.text("Product");
    s.key.parameter = r.text("Parameter");
    s.key.chart = r.chart("Chart");
    s.key.subgroupSize = static_cast<int>(r.count("Size"));
    if (s.key.chart == LimitChartKind::XBar && (s.key.subgroupSize < 2 || s.key.subgroupSize > 25)) {
        r.failLast(QStringLiteral("Size of an X-bar chart is not from 2 to 25"));
    }
    s.key.source = r.text("Source");
    s.centre = r.number("Centre");
    s.ucl = r.number("UCL");
    s.lcl = r.number("LCL");
    s.rangeCentre = r.number("RangeCentre");
    s.rangeUcl = r.number("RangeUCL");
    s.rangeLcl = r.number("RangeLCL");
    s.sigma = r.number("Sigma");
    LimitBaseline& b = s.baseline;
    b.first = r.time("BaselineFrom", false); // none for records without times
    b.last = r.time("BaselineTo", false);
    b.source = r.text("BaselineSource", false);
    b.testId = r.text("BaselineTestID", false);
    b.passOnly = r.yesNo("BaselinePassOnly");
    b.lastDataOnly = r.yesNo("BaselineLastDataOnly");
    b.acceptZero = r.yesNo("BaselineAcceptZero");
    b.points = r.count("BaselinePoints");
    b.records = r.count("BaselineRecords");
    s.frozenAt = r.time("FrozenAt");
    s.frozenBy = r.text("FrozenBy", false);
    s.comment = r.text("Comment", false);
    if (retired) {
        s.retiredAt = r.time("RetiredAt", false);
        s.retiredBy = r.text("RetiredBy", false);
        s.retiredHow = r.text("Retired", false);
    }
    return s;
}

StageStart readStage(BlockReader& r)
{
    StageStart s;
    s.product = r.text("Product");
    s.parameter = r.text("Parameter");
    s.start = r.time("Start");
    s.name = r.text("Name", false);
    s.addedAt = r.time("AddedAt", false);
    s.addedBy = r.text("AddedBy", false);
    return s;
}

// Ends a block: its record joins the store; false with *problem set when it cannot be read.
bool finishBlock(BlockReader& block, LimitStore& store, QString* problem)
{
    const QString& section = block.section();
    if (section.compare(kStageSection, Qt::CaseInsensitive) == 0) {
        store.stages.append(readStage(block));
    } else {
        const bool retired = section.compare(kRetiredSection, Qt::CaseInsensitive) == 0;
        (retired ? store.history : store.sets).append(readSet(block, retired));
    }
    *problem = block.problem();
    return problem->isEmpty();
}

} // namespace

QByteArray LimitFileText(const LimitStore& store)
{
    QString text =
        QStringLiteral("; Control limits of this configuration folder, written by Tessaly: the frozen sets in force\n"
                       "; ([Limits]), the sets they replaced or that were cleared ([Retired Limits]) and stage starts\n"
                       "; ([Stage]). Times are local; numbers are exact.\n");
    for (const LimitSet& s : store.sets) {
        text += QLatin1Char('\n') + setBlock(s, false);
    }
    for (const LimitSet& s : store.history) {
        text += QLatin1Char('\n') + setBlock(s, true);
    }
    for (const StageStart& s : store.stages) {
        text += QLatin1Char('\n') + StageText(s);
    }
    return text.toUtf8();
}

std::optional<LimitStore> ParseLimitFile(const QByteArray& text, QString* problem)
{
    LimitStore store;
    std::optional<BlockReader> block;
    const QStringList lines = QString::fromUtf8(text).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int line = static_cast<int>(i + 1);
        const QString trimmed = lines[i].trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'))) {
            continue;
        }
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            if (block && !finishBlock(*block, store, problem)) {
                return std::nullopt;
            }
            const QString section = trimmed.mid(1, trimmed.size() - 2).trimmed();
            if (!QStringList{kLimitsSection, kRetiredSection, kStageSection}.contains(section, Qt::CaseInsensitive)) {
                *problem = QStringLiteral("line %1: unknown section [%2]").arg(line).arg(section);
                return std::nullopt;
            }
            block.emplace(section, line);
            continue;
        }
        const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
        if (!block || eq <= 0) {
            *problem = QStringLiteral("line %1: neither a [section] nor a key=value line inside one").arg(line);
            return std::nullopt;
        }
        const QString key = trimmed.left(eq).trimmed();
        if (!block->add(key, trimmed.mid(eq + 1).trimmed(), line)) {
            *problem = QStringLiteral("line %1: %2 given twice").arg(line).arg(key);
            return std::nullopt;
        }
    }
    if (block && !finishBlock(*block, store, problem)) {
        return std::nullopt;
    }
    return store;
}

QString LimitSetText(const LimitSet& set)
{
    return setBlock(set, set.retiredAt.isValid());
}

QString StageText(const StageStart& s)
{
    return BlockWriter(kStageSection)
        .text("Product", s.product)
        .text("Parameter", s.parameter)
        .time("Start", s.start)
        .text("Name", s.name)
        .time("AddedAt", s.addedAt)
        .text("AddedBy", s.addedBy)
        .done();
}
