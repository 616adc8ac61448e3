/*
 * Corvane wizard plug-in interface.
 *
 * A wizard plug-in is a Windows DLL that travels in the setup package and is
 * loaded by the setup engine at start-up. This header is all a plug-in needs:
 * it is plain C, depends on nothing but <stdint.h>, and describes
 *
 *   - the two exports the engine looks up by name, GetPluginInfo and
 *     SetStartupInfo (undecorated names: on 32-bit Windows link with a .def
 *     file or -Wl,--kill-at, since stdcall names are otherwise decorated);
 *   - the information record GetPluginInfo fills;
 *   - the startup record SetStartupInfo receives, with the engine's service
 *     routines;
 *   - the message entry point, whose address the plug-in puts at the end of
 *     its information record;
 *   - the ids of the engine's events (EV_) and commands (CM_).
 *
 * Conventions: every routine uses the stdcall convention; integers are 32-bit;
 * texts are NUL-terminated 8-bit texts in the ANSI code page. Parameter blocks
 * are numbered lists of typed values (string, integer, boolean) referred to by
 * an integer id; 0 stands for "no block". Index 0 is a block's first
 * parameter.
 *
 * Life of a plug-in: GetPluginInfo -> SetStartupInfo (once) -> EV_LOAD (answer
 * non-zero to refuse to run: the DLL is then freed without EV_UNLOAD) ->
 * EV_LANGUAGECHANGED -> events and answers -> EV_UNLOAD -> freed. The engine
 * calls every entry point on its user-interface thread. A plug-in may call the
 * service routines from threads of its own: the engine then carries the call
 * to its user-interface thread and waits for the answer there, so the
 * plug-in's user-interface thread must keep pumping window messages while it
 * waits for such a thread.
 *
 * A text returned by GetParamStr stays valid until that block is destroyed;
 * copy it when you need it longer.
 */
#ifndef CORVANE_PLUGIN_API_H
#define CORVANE_PLUGIN_API_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32) && !defined(_WIN64)
#define CV_PLUGIN_CALL __stdcall
#else
/* 64-bit Windows has one calling convention. */
#define CV_PLUGIN_CALL
#endif

/* Interface versions. The engine sets EngineVersion before GetPluginInfo; a
   plug-in reporting a PluginVersion above CV_PLUGIN_MAX_VERSION is not
   loaded. */
#define CV_PLUGIN_ENGINE_VERSION 0x20000
#define CV_PLUGIN_MAX_VERSION 0x40000

/* Length of the plug-in ID field (characters up to the first NUL count). */
#define CV_PLUGIN_ID_SIZE 261

/* Message entry point: message id, message name, in-block, out-block. A
   non-zero answer means "handled" (or "refused", where the event says so) and
   ends the dispatch unless the sender asked for every receiver. */
typedef int32_t(CV_PLUGIN_CALL* CvMessageEntry)(int32_t messageId, const char* messageName,
                                                int32_t inBlock, int32_t outBlock);

#pragma pack(push, 1)
/* Filled by GetPluginInfo. The engine zeroes it and sets EngineVersion
   before the call. 5161 bytes in 32-bit builds (5165 in 64-bit builds, where
   the entry point is 8 bytes). */
typedef struct CvPluginInfo {
  int32_t EngineVersion;      /* set by the engine */
  int32_t PluginVersion;      /* set by the plug-in, at most CV_PLUGIN_MAX_VERSION */
  int32_t Reserved;           /* not read by the engine */
  char ID[CV_PLUGIN_ID_SIZE]; /* must equal the ID of the package's plug-in entry */
  uint8_t Private[4884];      /* the plug-in's own; not read by the engine */
  CvMessageEntry MessageEntry;
} CvPluginInfo;
#pragma pack(pop)

/* The engine's service routines. `sender` is the calling plug-in's id (from
   CvStartupInfo.PluginId); flags are 0 (false) or 1 (true). */
typedef int32_t(CV_PLUGIN_CALL* CvRegisterMessage)(int32_t callerId, const char* name);
typedef int32_t(CV_PLUGIN_CALL* CvSendMessage)(int32_t sender, int32_t messageId, int32_t inBlock,
                                               int32_t outBlock, int32_t processAll,
                                               int32_t freeInBlock);
typedef int32_t(CV_PLUGIN_CALL* CvSendMessageByName)(int32_t sender, const char* messageName,
                                                     int32_t inBlock, int32_t outBlock,
                                                     int32_t processAll, int32_t freeInBlock);
typedef int32_t(CV_PLUGIN_CALL* CvSendToPlugin)(int32_t targetId, int32_t messageId,
                                                int32_t inBlock, int32_t outBlock,
                                                int32_t freeInBlock);
typedef int32_t(CV_PLUGIN_CALL* CvSendToPluginByName)(int32_t targetId, const char* messageName,
                                                      int32_t inBlock, int32_t outBlock,
                                                      int32_t freeInBlock);
typedef int32_t(CV_PLUGIN_CALL* CvCreateParamsBlock)(void);
typedef void(CV_PLUGIN_CALL* CvDestroyParamsBlock)(int32_t block);
typedef int32_t(CV_PLUGIN_CALL* CvGetParamCount)(int32_t block);
typedef void(CV_PLUGIN_CALL* CvSetParamCount)(int32_t block, int32_t count);
/* 0 string, 1 integer, 2 boolean (0 for a missing parameter). */
typedef int32_t(CV_PLUGIN_CALL* CvGetParamType)(int32_t block, int32_t index);
typedef const char*(CV_PLUGIN_CALL* CvGetParamStr)(int32_t block, int32_t index);
typedef int32_t(CV_PLUGIN_CALL* CvGetParamInt)(int32_t block, int32_t index);
/* -1 for true, 0 for false. */
typedef int32_t(CV_PLUGIN_CALL* CvGetParamBool)(int32_t block, int32_t index);
typedef void(CV_PLUGIN_CALL* CvSetParamStr)(int32_t block, int32_t index, const char* text);
typedef void(CV_PLUGIN_CALL* CvSetParamInt)(int32_t block, int32_t index, int32_t value);
typedef void(CV_PLUGIN_CALL* CvSetParamBool)(int32_t block, int32_t index, int32_t value);
typedef void(CV_PLUGIN_CALL* CvAddParamStr)(int32_t block, const char* text);
typedef void(CV_PLUGIN_CALL* CvAddParamInt)(int32_t block, int32_t value);
typedef void(CV_PLUGIN_CALL* CvAddParamBool)(int32_t block, int32_t value);

/* Passed to SetStartupInfo; valid only during the call: copy what you keep.
   88 bytes in 32-bit builds. */
typedef struct CvStartupInfo {
  int32_t EngineVersion; /* CV_PLUGIN_ENGINE_VERSION */
  int32_t MaxVersion;    /* CV_PLUGIN_MAX_VERSION */
  int32_t PluginId;      /* this plug-in's id, the sender id of its requests */
  CvRegisterMessage RegisterMessage;
  CvSendMessage SendMessageById; /* not "SendMessage": windows.h defines that name as a macro */
  CvSendMessageByName SendMessageByName;
  CvSendToPlugin SendToPlugin; /* 0 when the id names no loaded plug-in */
  CvSendToPluginByName SendToPluginByName;
  CvCreateParamsBlock CreateParamsBlock;
  CvDestroyParamsBlock DestroyParamsBlock;
  CvGetParamCount GetParamCount;
  CvSetParamCount SetParamCount;
  CvGetParamType GetParamType;
  CvGetParamStr GetParamStr;
  CvGetParamInt GetParamInt;
  CvGetParamBool GetParamBool;
  CvSetParamStr SetParamStr;
  CvSetParamInt SetParamInt;
  CvSetParamBool SetParamBool;
  CvAddParamStr AddParamStr;
  CvAddParamInt AddParamInt;
  CvAddParamBool AddParamBool;
} CvStartupInfo;

/* The exports, looked up by these names. */
typedef void(CV_PLUGIN_CALL* CvGetPluginInfoExport)(CvPluginInfo* info);
typedef void(CV_PLUGIN_CALL* CvSetStartupInfoExport)(const CvStartupInfo* startup);
#define CV_PLUGIN_GET_INFO_EXPORT "GetPluginInfo"
#define CV_PLUGIN_SET_STARTUP_EXPORT "SetStartupInfo"

#if defined(_WIN32) && !defined(_WIN64)
#if defined(__cplusplus)
static_assert(sizeof(CvPluginInfo) == 5161, "information record layout");
static_assert(offsetof(CvPluginInfo, ID) == 12, "information record layout");
static_assert(offsetof(CvPluginInfo, MessageEntry) == 5157, "information record layout");
static_assert(sizeof(CvStartupInfo) == 88, "startup record layout");
static_assert(offsetof(CvStartupInfo, RegisterMessage) == 12, "startup record layout");
static_assert(offsetof(CvStartupInfo, AddParamBool) == 84, "startup record layout");
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
_Static_assert(sizeof(CvPluginInfo) == 5161, "information record layout");
_Static_assert(offsetof(CvPluginInfo, ID) == 12, "information record layout");
_Static_assert(offsetof(CvPluginInfo, MessageEntry) == 5157, "information record layout");
_Static_assert(sizeof(CvStartupInfo) == 88, "startup record layout");
_Static_assert(offsetof(CvStartupInfo, RegisterMessage) == 12, "startup record layout");
_Static_assert(offsetof(CvStartupInfo, AddParamBool) == 84, "startup record layout");
#endif
#endif

/* Events the engine sends. */
enum {
  EV_LOAD = 1,
  EV_UNLOAD = 2,
  EV_START = 3,
  EV_FINISH = 4,
  EV_SHOWDIALOGS = 5,
  EV_LANGUAGECHANGED = 6,
  EV_BEFOREINSTALL = 7,
  EV_AFTERINSTALL = 8,
  EV_BEFOREPROCESSITEMS = 9,
  EV_AFTERPROCESSITEMS = 10,
  EV_BEFOREPROCESSITEM = 11,
  EV_AFTERPROCESSITEM = 12,
  EV_INSTALLPROGRESS = 13,
  EV_FEATURESTATECHANGED = 14,
  EV_INSTALLTYPECHANGED = 15,
  EV_FILEVERSIONCONFLICT = 16,
  EV_GETPACKAGE = 17,
  EV_CHECKLAUNCHCONDITIONS = 18,
  EV_CALCFUNCTION = 19,
  EV_QUERYREBOOT = 20,
  EV_ABORTINSTALL = 21,
  EV_ROLLBACK = 22
};

/* Commands plug-ins send to the engine (answered by the engine itself). */
enum {
  CM_ABORTINSTALL = 256,
  CM_SUSPENDINSTALL = 257,
  CM_RESUMEINSTALL = 258,
  CM_PARSETEXT = 259,
  CM_GETLANGUAGE = 260,
  CM_SETLANGUAGE = 261,
  CM_GETVARIABLE = 262,
  CM_SETVARIABLE = 263,
  CM_GETFEATURE = 264,
  CM_GETFEATURESTATE = 265,
  CM_SETFEATURESTATE = 266,
  CM_GETINSTALLTYPE = 267,
  CM_SETINSTALLTYPE = 268,
  CM_SETPASSWORD = 269,
  CM_GETPCPARAM = 270,
  CM_GETPCGROUPNAMES = 271,
  CM_GETPCPARAMNAMES = 272,
  CM_GETPCCUSTOMCONFIG = 273,
  CM_CALCEXPRESSION = 274,
  CM_CALCBOOLEXPRESSION = 275,
  CM_REGISTERFUNCTION = 276,
  CM_ADDLOGRECORD = 277,
  CM_GETINSTALLICON = 278,
  CM_ISPASSWORDVALID = 279,
  CM_CALCACTIONS = 280,
  CM_GETFEATURESIZE = 281,
  CM_GETSETUPSIZE = 282
};

/* Requests the engine sends by name to the user-interface plug-in (their ids
   come from RegisterMessage): show a status text (in: text, delay in
   milliseconds), hide it, and answer the window that owns the engine's
   message boxes (0: the desktop). */
#define CV_MSG_SHOWSTATUSTEXT "CM_SHOWSTATUSTEXT"
#define CV_MSG_HIDESTATUSTEXT "CM_HIDESTATUSTEXT"
#define CV_MSG_GETACTIVEWINDOW "CM_GETACTIVEWINDOW"

#ifdef __cplusplus
}
#endif

#endif /* CORVANE_PLUGIN_API_H */
