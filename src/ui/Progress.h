#pragma once

#include <QString>

namespace kvilbro {

// How a long command keeps the collector informed: a status text and a gauge.
// The main window shows them as Label2 and Gauge1.
class Progress {
public:
    virtual ~Progress() = default;
    // Shows the text and the gauge and paints the window at once.
    virtual void show(const QString& text) = 0;
    // The gauge keeps its maximum at or above its minimum.
    virtual void setRange(int minimum, int maximum) = 0;
    // The gauge repaints when the percentage it shows changes.
    virtual void setPosition(int position) = 0;
    virtual void hide() = 0;
};

// Hides the progress when a command ends, also when it ends with an error.
class ProgressScope {
public:
    ProgressScope(Progress& progress, const QString& text) : progress_(progress) { progress_.show(text); }
    ~ProgressScope() { progress_.hide(); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

private:
    Progress& progress_;
};

} // namespace kvilbro
