#pragma once

#include <QObject>

class QSocketNotifier;

namespace kvilbro {

// SIGTERM and SIGHUP (logout, shutdown) delivered as a Qt signal on the main
// thread, where the program can store what is being typed and end cleanly.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void arrived();

private:
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace kvilbro
