#include "Recordset.h"

#include "Connection.h"
#include "EventPump.h"

#include <QElapsedTimer>

Recordset::Recordset() = default;

Recordset::~Recordset() = default;

bool Recordset::Open(Connection& connection, const SqlText& sql, const Watch& watch)
{
    Close();
    QueryStream stream;
    if (!stream.start(connection, sql)) {
        m_lastError = stream.lastError();
        return false;
    }
    // The watch hears at once that the query runs, then every interval.
    const int interval = EventPump::kDefaultThrottleMs;
    QElapsedTimer sinceWatch;
    const bool watching = static_cast<bool>(watch);
    while (!stream.atEnd()) {
        if (watching && (!sinceWatch.isValid() || sinceWatch.elapsed() >= interval)) {
            const LoadStep step = sinceWatch.isValid() ? stream.step() : LoadStep();
            sinceWatch.start();
            if (!watch(step)) {
                stream.stop();
                Close();
                m_stopped = true;
                return false;
            }
        }
        if (std::unique_ptr<RowBatch> batch = stream.next(interval)) {
            m_rowCount += batch->rows;
            m_batches.push_back(std::move(batch));
        }
    }
    if (!stream.lastError().isEmpty()) {
        m_lastError = stream.lastError();
        Close();
        return false;
    }
    m_names = stream.names();
    return true;
}

void Recordset::Close()
{
    m_names.clear();
    m_batches.clear();
    m_rowCount = 0;
    m_stopped = false;
    MoveFirst();
}

void Recordset::MoveNext()
{
    if (isEOF()) {
        return;
    }
    ++m_row;
    if (++m_offset == m_batches[m_batch]->rows && m_batch + 1 < m_batches.size()) {
        ++m_batch;
        m_offset = 0;
    }
}

void Recordset::MoveFirst()
{
    m_row = 0;
    m_batch = 0;
    m_offset = 0;
}

int Recordset::fieldIndex(const QString& alias) const
{
    for (int i = 0; i < m_names.size(); ++i) {
        if (m_names.at(i).compare(alias, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

const RecordColumn* Recordset::column(int field) const
{
    if (field < 0 || field >= m_names.size() || isEOF()) {
        return nullptr;
    }
    return &m_batches[m_batch]->columns[static_cast<size_t>(field)];
}

QVariant Recordset::value(int field) const
{
    const RecordColumn* c = column(field);
    return c ? c->at(m_offset) : QVariant();
}

QString Recordset::text(int field) const
{
    const RecordColumn* c = column(field);
    return c ? c->text(m_offset) : QString();
}

bool Recordset::dateTimeParts(int field, qint64& day, int& second) const
{
    const RecordColumn* c = column(field);
    return c && c->dateTimeParts(m_offset, day, second);
}
