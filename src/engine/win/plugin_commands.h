#pragma once
// The engine's side of the plug-in interface: the command handler that
// answers the CM_ requests, the plug-in functions of the expression
// language, and the plug-ins' own language tables.

#include "database/main_database.h"
#include "engine/setup_operations.h"

namespace cv {

// Installs the command handler, the plug-in delivery and the evaluator's
// plug-in routines for the run of `operations` on `database`.
void InstallPluginHost(SetupOperations& operations, TcvMainDatabase& database);
// Takes the command handler away again (it refers to that run).
void RemovePluginCommands();

}  // namespace cv
