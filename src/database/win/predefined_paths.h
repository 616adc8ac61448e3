#pragma once
// Variables the engine provides before anything else runs: the folders of
// the system and of common products, today's date, and the process
// environment. Scripts and references rely on them being there whatever the
// project says; they are never written back into a saved database.

namespace cv {

class TcvMainDatabase;

// Sets, in this order: BootDrive, Windows, System, the shell folders of the
// shell folder table (Desktop ... LocalAppData), ProgramFiles, CommonFiles,
// Office97, Office2000, BDE, Delphi, Date, IIS-WWWRoot, IIS-Scripts, Images.
// Folders come from the system or from the machine's registry; where the
// registry has nothing, a fallback text with %...% references is stored as it
// is, to be resolved only when the variable is read.
void AddPathVariables(TcvMainDatabase& database);

// Adds each process environment variable for which the database has no
// visible variable of that name (ignoring case), in name order. A variable of
// the project is never replaced. The per-drive current folders that Windows
// keeps in the environment as "=C:=..." are not variables and are skipped.
void AddEnvironmentVariables(TcvMainDatabase& database);

}  // namespace cv
