// The database's selection changes reach the plug-ins as messages.

#include "plugins/database_events.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "database/feature_selection.h"
#include "database/main_database.h"
#include "plugins/message_dispatch.h"
#include "plugins/message_params.h"

namespace cv {
namespace {

std::vector<std::string> received;

TEST(DatabaseEvents, SelectionChangesAreSent) {
  received.clear();
  MessageHandlers handlers;
  handlers.Plugins = [](std::int32_t sender, std::int32_t, const std::string& name,
                        std::int32_t in, std::int32_t, bool) {
    std::string text = name + "(" + std::to_string(sender);
    for (std::int32_t i = 0; i < GetCount(in); ++i) {
      text += "," + GetStr(in, i) + ":" + std::to_string(GetKind(in, i));
    }
    received.push_back(text + ")");
    return 0;
  };
  const MessageHandlers previous = SetMessageHandlers(handlers);
  auto db = TcvMainDatabase::New();
  db->LoadFromString(
      "<cv2project><features><feature id='app'><features><feature id='a1'/></features>"
      "<components><component id='c'/></components></feature></features>"
      "<installtypes><installtype id='full'><features><feature id='app'/></features>"
      "</installtype></installtypes></cv2project>",
      "");
  InstallDatabaseEventHandlers(*db);
  const std::int32_t blocksBefore = LastBlockId();
  ASSERT_TRUE(SetActiveInstallType(*db, "full"));
  SelectFeature(*db->Features->Feature(0)->Features->Feature(0), false);
  UpdateStates(*db->Features);
  SetMessageHandlers(previous);
  EXPECT_EQ(received, (std::vector<std::string>{
                          "EV_FEATURESTATECHANGED(0,app:0,1:1)",
                          "EV_FEATURESTATECHANGED(0,a1:0,1:1)",
                          "EV_INSTALLTYPECHANGED(0,full:0)",
                          "EV_FEATURESTATECHANGED(0,a1:0,0:1)",
                          "EV_FEATURESTATECHANGED(0,app:0,2:1)",
                      }));
  // The blocks of the messages were freed after each dispatch.
  for (std::int32_t id = blocksBefore + 1; id <= blocksBefore + 5; ++id) {
    EXPECT_FALSE(BlockExists(id)) << id;
  }
}

}  // namespace
}  // namespace cv
