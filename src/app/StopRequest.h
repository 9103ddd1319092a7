#pragma once

#include <QObject>
#include <QSocketNotifier>

// SIGINT and SIGTERM as a Qt signal: the handlers only write a byte to a pipe, and the event loop
// emits requested() once it comes back to it, so that work in progress ends first. One at a time;
// the handlers before it are restored when it goes.
class StopRequest : public QObject
{
    Q_OBJECT

public:
    StopRequest();
    ~StopRequest() override;

signals:
    void requested();

private:
    int m_pipe[2] = {-1, -1};
    QSocketNotifier* m_notifier = nullptr;
};
