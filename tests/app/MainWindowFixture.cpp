#include "MainWindowFixture.h"

#include "ErrorGuard.h"

#include <QDesktopServices>
#include <QImage>
#include <QTest>

namespace kvilbro::test {

MainWindowFixture::MainWindowFixture(const std::function<void(Collection&)>& fill) : previousDir_(QDir::currentPath())
{
    // The start picture and the default picture sit beside the tables, as in
    // a collector's folder.
    for (const char* name : {"Frim.bmp", "frim.bmp"}) {
        QImage picture(120, 80, QImage::Format_RGB32);
        picture.fill(QColor(200, 40, 40));
        picture.save(collection_.file(name), "BMP");
    }
    if (fill)
        fill(collection_);
    QDir::setCurrent(collection_.path());
    ErrorGuard::setDialogs(&dialogs);
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &urls, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &urls, "open");
    program_ = std::make_unique<Program>(dialogs);
    if (!program_->start())
        qFatal("the program did not start: %s", qPrintable(dialogs.messages().join(u'\n')));
    if (!QTest::qWaitForWindowActive(&window()))
        qWarning("the main window did not become active");
}

MainWindowFixture::~MainWindowFixture()
{
    program_.reset();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    ErrorGuard::setDialogs(nullptr);
    QDir::setCurrent(previousDir_);
}

void fillSample(Collection& c)
{
    c.addArea("DK", "Danmark");
    c.addArea("FR", "Færøerne");
    c.addArea("IS", "Island");
    for (int n : {1, 2, 3})
        c.addNumber("DK", "Danmark", n, {}, {"", "", "x"});
    c.addNumber("DK", "Danmark", 7);
    c.addNumber("DK", "Danmark", 7, "a");
    c.addNumber("FR", "Færøerne", 10);
    c.setCollector({"Jens Ærø", "Vejen 1", "8000 Århus C", "12345678", "", "2026-12-01"});
}

} // namespace kvilbro::test
