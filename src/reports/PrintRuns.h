#pragma once

namespace kvilbro {

// What a preview asks of whatever produced its pages: the printer setup and
// print runs, which run the report again.
class PrintRuns {
public:
    virtual ~PrintRuns() = default;
    // False when the collector cancelled.
    virtual bool printerSetup(int pageCount) = 0;
    // False when nothing was printed.
    virtual bool print() = 0;
};

} // namespace kvilbro
