#pragma once
// Reading and writing the project's variables by name. `context` is the main
// database or a package: a package sees its own variables first, then the
// database's.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/error.h"

namespace cv {

class TXMLObject;
class TcvMainDatabase;
class TcvVariable;

// A variable operation without a usable context: "Package database was not
// assigned." or "Wrong class has been specified.".
class EVariableContextError : public Error {
 public:
  using Error::Error;
};

// The visible variable of that name (see TcvVariables::FindParam); null when
// there is none. Raises EVariableContextError for a missing or wrong context.
TcvVariable* FindVariable(TXMLObject* context, const std::string& name);

// Resolves the references in a text; the identity when none is given.
using TextExpander = std::function<std::string(const std::string&)>;

// The variable's current value: the stored value, or the registry value or
// ini entry read afresh (DefValue when missing), with key, value name, file,
// section and entry names passed through `expand` first.
std::string VariableValue(const TcvVariable& variable, const TextExpander& expand = {});

// Sets the visible variable, or appends a new one to the database's list
// (also for a package context). Nothing for an empty name.
void SetVar(TXMLObject* context, const std::string& name, const std::string& value);
void SetVarInt(TXMLObject* context, const std::string& name, std::int32_t value);
void SetVarBool(TXMLObject* context, const std::string& name, bool value);
// Blanks around the value and one trailing backslash are removed.
void SetPathVar(TXMLObject* context, const std::string& name, const std::string& value);

// The variable's text with its references resolved; `defaultValue` when no
// visible variable has that name.
std::string GetVar(TXMLObject* context, const std::string& name,
                   const std::string& defaultValue);
// `defaultValue` also when the text is no integer.
std::int32_t GetVarInt(TXMLObject* context, const std::string& name, std::int32_t defaultValue);
// The low byte of the integer; non-zero is true.
bool GetVarBool(TXMLObject* context, const std::string& name, bool defaultValue);

// Variables the engine sets: never written to XML.
void SetPredefinedVar(TcvMainDatabase& database, const std::string& name,
                      const std::string& value);
void SetPredefinedPathVar(TcvMainDatabase& database, const std::string& name,
                          const std::string& value);

}  // namespace cv
