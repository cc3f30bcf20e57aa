// Posts numbers one by one through a linked view and reports each stored one
// on standard output, until it is killed. Used by the crash test.
#include "CollectionViews.h"
#include "Error.h"
#include "TableView.h"

#include <cstdio>

using namespace kvilbro;

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    try {
        Database db(QString::fromLocal8Bit(argv[1]));
        const CollectionViews views(db, CollectionWindow::AllInformationList);
        TableView& numbers = views.numbers();
        for (int i = 1; i < 10000000; ++i) {
            numbers.append();
            numbers.setInteger(u"Nummer", i);
            numbers.setText(u"Bemærkning", QStringLiteral("række %1").arg(i));
            numbers.post();
            std::printf("%d\n", i);
            std::fflush(stdout);
        }
    } catch (const Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
