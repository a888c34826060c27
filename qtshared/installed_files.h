// The files an installation puts beside the programs (icons, sample data), found from
// where the running program lies, so that an unpacked or moved installation finds its
// own copies.
#pragma once

#include <QString>

// `relative` under the installation's data folder when it exists there, else empty.
QString installed_file(const QString& relative);
