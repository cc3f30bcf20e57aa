#pragma once

#include <QByteArray>
#include <QString>

namespace kvilbro {

class PageList;

// The preview's own file of laid-out pages: a versioned QDataStream format
// behind a fixed signature and a checksum, so a damaged or foreign file is
// refused as a whole instead of showing half a report.
class ReportFile {
public:
    static constexpr quint32 Signature = 0x4b565250; // "KVRP"
    static constexpr quint16 Version = 1;

    static QByteArray encode(const PageList& pages);
    // Throws Error naming `fileName` when the bytes are not a sound report file.
    static PageList decode(const QByteArray& bytes, const QString& fileName);

    static void save(const PageList& pages, const QString& path);
    static PageList load(const QString& path);
};

} // namespace kvilbro
