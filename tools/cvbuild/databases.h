#pragma once
// The documents a package carries, derived from the project:
//
// "maindb" (main package only): the project database as the engine merges it
// into its own after loading the main package's database. Components keep
// their identity, package, size and condition (their items come from the
// package databases); the packages list names only the further packages
// (the engine creates the main package itself); variables, features, install
// types, launch conditions and events stay whole; languages travel in their
// own file and run-time fields (password, temporary folders, install state)
// are never written. A password adds the variable PswCheckHash.
//
// "packagedb" (every package): the package's ID, its components in full,
// its plug-in entries, its own variables and one file description per packed
// file (name below "data\", size, version). Fields the engine fills from the
// package file itself (file names, paths, sizes, flags) are left out, so
// merging the database keeps them.
//
// Header variables (the XML after the end marker, root "variables"): the
// main package repeats the product's identity (AppID, AppName, AppVersion,
// CompanyName) and any variable marked header="1", so that the product can
// be identified without deciphering anything. Further packages carry none.
//
// Both databases are enciphered with the key derived from their length
// (EncipherDatabaseBytes of the engine's package_database.h).

#include <string>

#include "package_plan.h"
#include "project.h"

namespace cv::build {

std::string MainDatabaseXml(const Project& project, const ProjectPlan& plan,
                            const std::string& passwordCheck);
std::string PackageDatabaseXml(const Project& project, const PackagePlan& package);
std::string HeaderVariablesXml(const Project& project, const PackagePlan& package);

}  // namespace cv::build
