#include "ScriptedDialogs.h"

namespace kvilbro::test {

QList<ScriptedDialogs::Shown> ScriptedDialogs::shownOf(const QString& kind) const
{
    QList<Shown> out;
    for (const Shown& s : shown_) {
        if (s.kind == kind)
            out << s;
    }
    return out;
}

QStringList ScriptedDialogs::messages() const
{
    QStringList out;
    for (const Shown& s : shown_) {
        if (s.kind == QLatin1String("message") || s.kind == QLatin1String("error") || s.kind == QLatin1String("stop"))
            out << s.text;
    }
    return out;
}

int ScriptedDialogs::unusedAnswers() const
{
    return int(inputs_.size() + confirms_.size() + okCancels_.size() + openFiles_.size() + saveFiles_.size() +
               prints_.size());
}

InputAnswer ScriptedDialogs::input(const QString& caption, const QString& prompt, const QString& defaultText)
{
    shown_.append({QStringLiteral("input"), caption, prompt, defaultText});
    if (inputs_.isEmpty())
        return {defaultText, false};
    InputAnswer a = inputs_.takeFirst();
    if (!a.ok)
        a.text = defaultText; // Cancel gives back the default
    return a;
}

bool ScriptedDialogs::confirm(const QString& question)
{
    shown_.append({QStringLiteral("confirm"), QStringLiteral("Information"), question, {}});
    return !confirms_.isEmpty() && confirms_.takeFirst();
}

void ScriptedDialogs::message(const QString& text)
{
    shown_.append({QStringLiteral("message"), applicationTitle(), text, {}});
}

void ScriptedDialogs::error(const QString& text)
{
    shown_.append({QStringLiteral("error"), QStringLiteral("Error"), text, {}});
}

void ScriptedDialogs::stop(const QString& text)
{
    shown_.append({QStringLiteral("stop"), applicationTitle(), text, {}});
}

void ScriptedDialogs::fatal(const QString& text)
{
    shown_.append({QStringLiteral("fatal"), QStringLiteral("Application Error"), text, {}});
}

bool ScriptedDialogs::okCancel(const QString& question)
{
    shown_.append({QStringLiteral("okCancel"), QStringLiteral("Confirm"), question, {}});
    return !okCancels_.isEmpty() && okCancels_.takeFirst();
}

QString ScriptedDialogs::openFile(const FileDialogOptions& options)
{
    lastFileOptions = options;
    shown_.append({QStringLiteral("open"), options.caption, options.initialName, {}});
    return openFiles_.isEmpty() ? QString() : openFiles_.takeFirst();
}

QString ScriptedDialogs::saveFile(const FileDialogOptions& options)
{
    lastFileOptions = options;
    shown_.append({QStringLiteral("save"), options.caption, options.initialName, {}});
    return saveFiles_.isEmpty() ? QString() : saveFiles_.takeFirst();
}

bool ScriptedDialogs::printerSetup(QPrinter&)
{
    shown_.append({QStringLiteral("printerSetup"), {}, {}, {}});
    return !prints_.isEmpty() && prints_.takeFirst();
}

bool ScriptedDialogs::print(QPrinter&, PrintDialogOptions&)
{
    shown_.append({QStringLiteral("print"), {}, {}, {}});
    return !prints_.isEmpty() && prints_.takeFirst();
}

} // namespace kvilbro::test
