#pragma once

namespace kvilbro {

class PageList;

// What a preview asks of whatever produced its pages: the printer setup and
// print runs, which run the report again.
class PrintRuns {
public:
    virtual ~PrintRuns() = default;
    // False when the collector cancelled.
    virtual bool printerSetup(int pageCount) = 0;
    // False when nothing was printed.
    virtual bool print() = 0;
    // Prints pages as they are, without running anything again (pages loaded
    // from a file). False when nothing was printed.
    virtual bool printPages(const PageList& pages) = 0;
};

} // namespace kvilbro
