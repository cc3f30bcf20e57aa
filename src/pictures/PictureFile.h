#pragma once

#include <QString>

namespace kvilbro {

// The picture-file test: the path names a picture by one of ".bmp", ".BMP",
// ".jpg" or ".JPG" anywhere in it (other letter cases and ".jpeg" do not
// count), and the file can be opened for reading. It never throws and reads
// nothing; an empty path touches no file.
bool isPictureFile(const QString& path);

// Opens `path` for reading as a regular file and gives its descriptor, or -1
// with the system's reason in `reason`. Directories, pipes and devices are
// refused without blocking, so a stray name can never hang the program.
int openPictureFile(const QString& path, QString* reason);

} // namespace kvilbro
