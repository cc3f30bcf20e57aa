#include "BenchDialogs.h"

namespace kvilbro::bench {

InputAnswer BenchDialogs::input(const QString&, const QString&, const QString& defaultText)
{
    if (inputs_.isEmpty())
        return {defaultText, false};
    return {inputs_.takeFirst(), true};
}

bool BenchDialogs::confirm(const QString&)
{
    return true;
}

void BenchDialogs::message(const QString& text)
{
    shownMessages << text;
}

void BenchDialogs::error(const QString& text)
{
    shownMessages << text;
}

void BenchDialogs::stop(const QString& text)
{
    shownMessages << text;
}

bool BenchDialogs::okCancel(const QString&)
{
    return false;
}

QString BenchDialogs::openFile(const FileDialogOptions&)
{
    return QString();
}

QString BenchDialogs::saveFile(const FileDialogOptions&)
{
    return QString();
}

bool BenchDialogs::printerSetup(QPrinter&)
{
    return false;
}

bool BenchDialogs::print(QPrinter&, PrintDialogOptions&)
{
    return false;
}

} // namespace kvilbro::bench
