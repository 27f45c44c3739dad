#pragma once

#include <QString>
#include <QStringList>

namespace trevasso::logic {

// Whether the desktop has an application that opens files of any of `mimeTypes`, by the rules
// desktops use to pick one: an installed desktop entry (under one of `applicationFolders`, in
// any subfolder) that declares the type and is not hidden, or that a mimeapps.list among
// `mimeappsLists` names for the type under [Default Applications] or [Added Associations];
// less every entry a mimeapps.list names for the type under [Removed Associations]. Files that
// cannot be read count as empty.
bool HasApplicationFor(const QStringList& mimeTypes, const QStringList& mimeappsLists,
                       const QStringList& applicationFolders);

}  // namespace trevasso::logic
