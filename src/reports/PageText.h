#pragma once

#include <QByteArray>
#include <QString>

namespace kvilbro {

class PageList;

// Text renderings of laid-out pages.
class PageText {
public:
    // Every item with its place in millimetres to a tenth, its text, font and
    // frame sides: a stable description of the layout, for checking it.
    static QString dump(const PageList& pages);
    // The texts of each page on lines, roughly where they stand, for a reader.
    static QString plain(const PageList& pages);
    // `plain` as the program writes text files: Windows-1252 with CR LF.
    static QByteArray plainFile(const PageList& pages);
};

} // namespace kvilbro
