#pragma once

#include <QString>

namespace kvilbro::tablefiles {

// Whether a stored picture path is a Windows one: a drive letter or backslashes.
bool isWindowsPath(const QString& path);

// A Windows picture path moved under `root`: "X:\Frimærker\dk1.jpg" with root
// "/srv/a/billeder" gives "/srv/a/billeder/Frimærker/dk1.jpg". A root of the
// form "X:\OLD\=NEW" maps only paths under X:\OLD\ (letter case aside) to NEW.
// Empty when the path is not under the root, or climbs out of it through "..".
QString mapPicturePath(const QString& path, const QString& root);

} // namespace kvilbro::tablefiles
