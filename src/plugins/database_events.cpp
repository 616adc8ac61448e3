#include "plugins/database_events.h"

#include "database/feature_selection.h"
#include "database/main_database.h"
#include "plugins/message_dispatch.h"
#include "plugins/message_params.h"
#include "plugins/message_store.h"

namespace cv {

void InstallDatabaseEventHandlers(TcvMainDatabase& database) {
  database.OnInstallTypeChange = [](TcvInstallType& type) {
    SendMessageById(0, EV_INSTALLTYPECHANGED, NewParamsBlock({type.ID}), true, false, 0);
  };
  database.OnFeatureChange = [](TcvFeature& feature) {
    SendMessageById(0, EV_FEATURESTATECHANGED,
                    NewParamsBlock({feature.ID, static_cast<std::int32_t>(FeatureState(feature))}),
                    true, false, 0);
  };
}

}  // namespace cv
