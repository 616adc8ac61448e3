#include "database/variable_access.h"

#include "database/main_database.h"
#include "database/model_hooks.h"
#include "database/model_navigation.h"
#include "platform/ini_cache.h"
#include "platform/numbers.h"
#include "platform/registry_read.h"
#include "platform/trim.h"

namespace cv {

namespace {

struct VariableScope {
  TcvVariables* Own = nullptr;       // the package's list, or the database's
  TcvVariables* Database = nullptr;  // the database's list when Own is a package's
  TcvMainDatabase* MainDatabase = nullptr;
};

VariableScope ScopeOf(TXMLObject* context) {
  if (!context) throw EVariableContextError("Package database was not assigned.");
  VariableScope scope;
  if (auto* database = dynamic_cast<TcvMainDatabase*>(context)) {
    scope.Own = database->Variables.get();
    scope.MainDatabase = database;
    return scope;
  }
  if (auto* package = dynamic_cast<TcvPackage*>(context)) {
    scope.Own = package->Variables.get();
    scope.MainDatabase = GetDatabase(package);
    if (scope.MainDatabase) scope.Database = scope.MainDatabase->Variables.get();
    return scope;
  }
  throw EVariableContextError("Wrong class has been specified.");
}

std::string Expanded(const TextExpander& expand, const std::string& text) {
  return expand ? expand(text) : text;
}

void MarkPredefined(TcvMainDatabase& database, const std::string& name) {
  if (TcvVariable* variable = database.Variables ? database.Variables->FindParam(name) : nullptr) {
    variable->Predefined = true;
  }
}

}  // namespace

TcvVariable* FindVariable(TXMLObject* context, const std::string& name) {
  const VariableScope scope = ScopeOf(context);
  if (scope.Own) {
    if (TcvVariable* variable = scope.Own->FindParam(name)) return variable;
  }
  if (scope.Database) return scope.Database->FindParam(name);
  return nullptr;
}

std::string VariableValue(const TcvVariable& variable, const TextExpander& expand) {
  switch (variable.VarType) {
    case TcvVarType::vtReg:
      return RegistryReadText(Expanded(expand, variable.RegKey),
                              Expanded(expand, variable.RegParam), variable.DefValue);
    case TcvVarType::vtIni:
      return IniReadValue(Expanded(expand, variable.IniFile),
                          Expanded(expand, variable.IniSection),
                          Expanded(expand, variable.IniParam), variable.DefValue);
    case TcvVarType::vtNormal:
    case TcvVarType::vtEnvVar: break;
  }
  return variable.Value;
}

void SetVar(TXMLObject* context, const std::string& name, const std::string& value) {
  if (name.empty()) return;
  if (TcvVariable* variable = FindVariable(context, name)) {
    variable->Value = value;
    return;
  }
  TcvMainDatabase* database = ScopeOf(context).MainDatabase;
  // A package outside any database has no list to receive a new variable.
  if (!database || !database->Variables) {
    throw EVariableContextError("Package database was not assigned.");
  }
  auto variable = TcvVariable::New(database->Variables.get());
  variable->Name = name;
  variable->Value = value;
  database->Variables->Add(std::move(variable));
}

void SetVarInt(TXMLObject* context, const std::string& name, std::int32_t value) {
  SetVar(context, name, std::to_string(value));
}

void SetVarBool(TXMLObject* context, const std::string& name, bool value) {
  SetVarInt(context, name, value ? 1 : 0);
}

void SetPathVar(TXMLObject* context, const std::string& name, const std::string& value) {
  std::string path(Trim(value));
  if (!path.empty() && path.back() == '\\') path.pop_back();
  SetVar(context, name, path);
}

std::string GetVar(TXMLObject* context, const std::string& name,
                   const std::string& defaultValue) {
  if (VariableTextHook) return VariableTextHook(context, 0, name, defaultValue);
  if (name.empty()) return {};
  const TcvVariable* variable = FindVariable(context, name);
  return variable ? VariableValue(*variable) : defaultValue;
}

std::int32_t GetVarInt(TXMLObject* context, const std::string& name, std::int32_t defaultValue) {
  return StrToIntDef(GetVar(context, name, std::to_string(defaultValue)), defaultValue);
}

bool GetVarBool(TXMLObject* context, const std::string& name, bool defaultValue) {
  return (GetVarInt(context, name, defaultValue ? 1 : 0) & 0xFF) != 0;
}

void SetPredefinedVar(TcvMainDatabase& database, const std::string& name,
                      const std::string& value) {
  SetVar(&database, name, value);
  MarkPredefined(database, name);
}

void SetPredefinedPathVar(TcvMainDatabase& database, const std::string& name,
                          const std::string& value) {
  SetPathVar(&database, name, value);
  MarkPredefined(database, name);
}

}  // namespace cv
