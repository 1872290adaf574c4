#include "document/dialogs/FileOpenDialog.h"

std::optional<std::string> RunFileOpenDialog(QWidget*, CProfileStore&) { return std::nullopt; }
