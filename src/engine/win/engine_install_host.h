#pragma once
// What the installation run takes from the engine: the project database,
// the run's flags and files, its language strings and status text.

#include "engine/setup_operations.h"
#include "install/win/install_run.h"
#include "install/win/uninstall_run.h"

namespace cv {

class EngineInstallHost : public InstallRunHost {
 public:
  EngineInstallHost(SetupOperations& operations, TcvMainDatabase& database)
      : operations_(operations), database_(database) {}

  TcvMainDatabase& Database() override { return database_; }
  const std::string& SetupFileName() override;
  const std::string& WorkFolder() override;
  bool& ResumeMode() override;
  bool& Cancelled() override;
  bool& ResumePending() override;
  bool PasswordAccepted() override;
  std::string EngineString(int n) override;
  void ShowStatusText(const std::string& text, int delayMs) override;
  void HideStatusText() override;
  bool RemoveComponentFiles() override;
  bool CopyComponentFiles() override;
  bool RunProgram(TcvComponent& component, TcvRunApp& item) override;
  bool RegisterServers() override;
  bool RegisterFonts() override;
  bool InstallShortcut(TcvComponent& component, TcvShortcut& item) override;
  ItemResult InstallRegistryItem(TcvComponent& component, TcvReg& item) override;
  ItemResult InstallIniItem(TcvComponent& component, TcvIni& item) override;
  bool SetEnvironmentVariables() override;
  bool RemoveOldReferences() override;
  bool RegisterUninstall() override;
  bool SaveSilentSettings() override;

 private:
  SetupOperations& operations_;
  TcvMainDatabase& database_;
  std::string uninstallKey_;  // chosen by RegisterUninstall
};

class EngineUninstallHost : public UninstallRunHost {
 public:
  explicit EngineUninstallHost(TcvMainDatabase& database) : database_(database) {}
  TcvMainDatabase& Database() override { return database_; }

 private:
  TcvMainDatabase& database_;
};

}  // namespace cv
