#pragma once

#include "Collection.h"
#include "Program.h"
#include "ScriptedDialogs.h"
#include "TForm2.h"

#include <QDir>
#include <QUrl>

#include <memory>

namespace kvilbro::test {

// Catches what the program asks the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

// A collection in a temporary working directory and the real program started
// on it, with scripted dialogs.
class MainWindowFixture {
public:
    // `fill` adds rows before the program starts.
    explicit MainWindowFixture(const std::function<void(Collection&)>& fill = {});
    ~MainWindowFixture();

    TForm2& window() const { return *program_->mainWindow(); }
    Program& program() const { return *program_; }
    Collection& collection() { return collection_; }
    ScriptedDialogs dialogs;
    UrlCatcher urls;

private:
    QString previousDir_;
    Collection collection_;
    std::unique_ptr<Program> program_;
};

// The standard sample: Danmark with 1, 2, 3, 7, 7a; Færøerne with 10; Island empty.
void fillSample(Collection& c);

} // namespace kvilbro::test
