/* The wizard's texts: the project's configuration, then the language tables
   (the plug-in's own first, which the engine does), then English. */
#include "wizard.h"

#include <stdio.h>
#include <string.h>

typedef struct DefaultText {
  const char* Name;
  const char* Text;
} DefaultText;

/* English texts; the same names with the prefix "Wizard." can be set in a
   language table (see wizard-languages.xml). */
static const DefaultText kDefaults[] = {
    {"Caption", "%AppName% Setup"},
    {"Back", "< &Back"},
    {"Next", "&Next >"},
    {"Install", "&Install"},
    {"Finish", "&Finish"},
    {"Remove", "&Remove"},
    {"Cancel", "Cancel"},
    {"Browse", "B&rowse..."},
    {"LanguageTitle", "Language"},
    {"LanguageSubtitle", "Choose the language of the installation."},
    {"LanguageLabel", "&Language:"},
    {"WelcomeTitle", "Welcome to the %AppName% Setup"},
    {"WelcomeSubtitle", "Version %AppVersion%"},
    {"WelcomeText",
     "This will install %AppName% on your computer.\r\n\r\nIt is recommended that you close all "
     "other programs before continuing.\r\n\r\nClick Next to continue, or Cancel to exit "
     "Setup."},
    {"LicenseTitle", "License Agreement"},
    {"LicenseSubtitle", "Please read the following license agreement carefully."},
    {"LicenseAccept", "I &accept the agreement"},
    {"LicenseDecline", "I do &not accept the agreement"},
    {"LicenseMissing", "The license file %s cannot be read."},
    {"PasswordTitle", "Password"},
    {"PasswordSubtitle", "This installation is protected by a password."},
    {"PasswordLabel", "&Password:"},
    {"PasswordWrong", "The password is not correct. Please try again."},
    {"FeaturesTitle", "Select Features"},
    {"FeaturesSubtitle", "Choose the setup type and the features to install."},
    {"TypeLabel", "Setup &type:"},
    {"FeaturesLabel", "&Features:"},
    {"FeatureColumn", "Feature"},
    {"SizeColumn", "Size"},
    {"SpaceText", "Disk space needed: %s. Free: %s."},
    {"FolderTitle", "Destination Folder"},
    {"FolderSubtitle", "Where should %AppName% be installed?"},
    {"FolderLabel", "Install %AppName% into this &folder:"},
    {"FolderEmpty", "Please enter a folder."},
    {"FolderBrowseTitle", "Choose the destination folder"},
    {"ReadyTitle", "Ready to Install"},
    {"ReadySubtitle", "Setup is now ready to install %AppName% on your computer."},
    {"ReadyText",
     "Destination folder:\r\n    %s\r\n\r\nSetup type:\r\n    %s\r\n\r\nFeatures:\r\n%s"},
    {"ProgressTitle", "Installing"},
    {"ProgressSubtitle", "Please wait while %AppName% is installed."},
    {"FinishTitle", "Completing the %AppName% Setup"},
    {"FinishText", "Setup has finished installing %AppName% on your computer."},
    {"FailedText", "Setup did not finish. %AppName% was not installed."},
    {"UninstallTitle", "Remove %AppName%"},
    {"UninstallSubtitle", "Version %AppVersion%"},
    {"UninstallText",
     "%AppName% and all of its parts will be removed from your computer.\r\n\r\nClick Remove to "
     "continue, or Cancel to keep it."},
    {"UninstallProgressTitle", "Removing"},
    {"UninstallProgressSubtitle", "Please wait while %AppName% is removed."},
    {"UninstallFinishText", "%AppName% was removed from your computer."},
    {"UninstallFailedText", "%AppName% could not be removed completely."},
    {"ConflictText",
     "The file on your computer is newer than the one Setup would install:\r\n%s\r\n\r\nKeep the "
     "file on your computer?"},
    {"ConflictKeep", "&Keep"},
    {"ConflictReplace", "&Replace"},
    {"ConflictKeepAll", "Keep &all"},
    {"ConflictReplaceAll", "Replace a&ll"},
    {"CancelQuestion", "Do you really want to cancel the installation?"},
    {"RebootQuestion",
     "To finish the installation, your computer must be restarted.\r\n\r\nRestart now?"},
};

void WizardExpand(const char* source, char* text, size_t size) {
  WizardAsk("CM_PARSETEXT", source, NULL, NULL, text, size);
}

static const char* DefaultFor(const char* name) {
  size_t i;
  for (i = 0; i < sizeof kDefaults / sizeof kDefaults[0]; ++i) {
    if (strcmp(kDefaults[i].Name, name) == 0) return kDefaults[i].Text;
  }
  return name;
}

/* Language files write line breaks as the two characters backslash and n;
   controls want CR LF, which has the same length. */
static void BreakLines(char* text) {
  char* at;
  while ((at = strstr(text, "\\n")) != NULL) {
    at[0] = '\r';
    at[1] = '\n';
  }
}

void WizardText(const char* name, char* text, size_t size) {
  char configured[WIZARD_TEXT_SIZE];
  char reference[256];
  WizardConfig("Texts", name, "", configured, sizeof configured);
  if (configured[0]) {
    WizardExpand(configured, text, size);
    BreakLines(text);
    return;
  }
  snprintf(reference, sizeof reference, "[Wizard.%s]", name);
  WizardExpand(reference, text, size);
  /* An unknown string comes back as written. */
  if (_stricmp(text, reference) == 0) WizardExpand(DefaultFor(name), text, size);
  BreakLines(text);
}
