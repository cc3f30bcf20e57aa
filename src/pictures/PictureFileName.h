#pragma once

#include <QString>
#include <QStringView>

namespace kvilbro {

// What a picture file's name says about the number it shows: "714Ch.jpg" is
// number 714 with variant "Ch". The number part is the run of digits 0 to 9
// at the start of the name; the type part is the rest up to the first ".",
// at most 10 characters of it.
struct PictureFileName {
    explicit PictureFileName(QStringView name);

    QString numberPart;
    QString typePart;
    // The number part as `Nummer` holds it, leading zeros dropped ("0714" is
    // "714"); empty when the part is empty or names a number past the field's
    // largest, 2147483647, so that no number can match.
    QString number;

    bool canMatch() const { return !number.isEmpty(); }
};

} // namespace kvilbro
