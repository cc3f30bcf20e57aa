// libFuzzer target for the Paradox reader: any bytes as a table (and, after a
// separator line, as its blob file) are read to the end or refused with
// ParadoxError; never a crash, a hang or a read outside the file.
#include "CodePages.h"
#include "ParadoxError.h"
#include "ParadoxTable.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>

#include <cstddef>
#include <cstdint>
#include <unistd.h>

namespace {

const QByteArray Separator("\n--MB--\n");

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString base = QStringLiteral("/tmp/fuzz_paradox_%1").arg(::getpid());
    static const QString table = base + QStringLiteral(".db");
    static const QString memo = base + QStringLiteral(".mb");
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype split = input.indexOf(Separator);
    writeFile(table, split < 0 ? input : input.left(split));
    if (split < 0)
        QFile::remove(memo);
    else
        writeFile(memo, input.mid(split + Separator.size()));
    try {
        kvilbro::paradox::ParadoxTable t(table);
        QString warning;
        t.setCodePage(kvilbro::paradox::choose(t.header().codePage, t.textByteCounts(), &warning));
        const int fields = int(t.header().fields.size());
        t.forEachRecord([&](const uchar* record) {
            for (int i = 0; i < fields; ++i)
                (void)t.value(record, i).toString();
            return true;
        });
    } catch (const kvilbro::paradox::ParadoxError&) {
    }
    return 0;
}
