#pragma once
// The project database tells the plug-ins and event scripts when the user's
// selection changes: EV_INSTALLTYPECHANGED with the install type's ID, and
// EV_FEATURESTATECHANGED with the feature's ID and its state (0 not
// selected, 1 selected, 2 partly selected).

namespace cv {

class TcvMainDatabase;

void InstallDatabaseEventHandlers(TcvMainDatabase& database);

}  // namespace cv
