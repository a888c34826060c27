// Where the file dialogs start.
#pragma once

#include <QString>

// `folder` under the working folder where it exists, else the working folder.
QString dialog_start_folder(const QString& folder);

// `folder` under the working folder where it exists, else the copy of `bundled` among
// the installed sample data, else among the sample data of the source tree, else the
// working folder.
QString data_start_folder(const QString& folder, const QString& bundled);
