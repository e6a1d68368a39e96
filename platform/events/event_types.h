// Types, result codes and descriptor types shared by the Carbon events, the classic events
// and the Apple events, and the conversions between the plain value types.
#pragma once

#include <vector>

#include "platform/events/toolbox_refs.h"
#include "platform/memory/mac_types.h"

using DescType = FourCharCode;
using AEKeyword = FourCharCode;
using EventParamName = OSType;
using EventParamType = OSType;
using SRefCon = void*;

// Seconds, as a double. Negative (kEventDurationForever) means "never" or "wait forever".
using EventTime = double;
using EventTimeout = EventTime;
using EventTimerInterval = EventTime;

constexpr EventTime kEventDurationSecond = 1.0;
constexpr EventTime kEventDurationMillisecond = kEventDurationSecond / 1000;
constexpr EventTime kEventDurationMicrosecond = kEventDurationSecond / 1000000;
constexpr EventTime kEventDurationNoWait = 0.0;
constexpr EventTime kEventDurationForever = -1.0;

// --- Result codes -------------------------------------------------------------------------

enum : OSStatus {
  eventAlreadyPostedErr = -9860,
  eventClassInvalidErr = -9862,
  eventClassIncorrectErr = -9864,
  eventHandlerAlreadyInstalledErr = -9866,
  eventInternalErr = -9868,
  eventKindIncorrectErr = -9869,
  eventParameterNotFoundErr = -9870,
  eventNotHandledErr = -9874,
  eventLoopTimedOutErr = -9875,
  eventLoopQuitErr = -9876,
  eventNotInQueueErr = -9877,
};

enum : OSErr {
  errAECoercionFail = -1700,
  errAEDescNotFound = -1701,
  errAECorruptData = -1702,
  errAEWrongDataType = -1703,
  errAENotAEDesc = -1704,
  errAEBadListItem = -1705,
  errAENotAppleEvent = -1707,
  errAEEventNotHandled = -1708,
  errAEUnknownSendMode = -1710,
  errAETimeout = -1712,
  errAEParamMissed = -1715,
  errAEUnknownAddressType = -1716,
  errAEHandlerNotFound = -1717,
  errAEIllegalIndex = -1719,
  procNotFound = -600,
};

// --- Descriptor and parameter types -------------------------------------------------------

constexpr DescType typeWildCard = FourCC("****");
constexpr DescType typeNull = FourCC("null");
constexpr DescType typeBoolean = FourCC("bool");
constexpr DescType typeSInt16 = FourCC("shor");
constexpr DescType typeUInt16 = FourCC("ushr");
constexpr DescType typeSInt32 = FourCC("long");
constexpr DescType typeUInt32 = FourCC("magn");
constexpr DescType typeSInt64 = FourCC("comp");
constexpr DescType typeUInt64 = FourCC("ucom");
constexpr DescType typeIEEE32BitFloatingPoint = FourCC("sing");
constexpr DescType typeIEEE64BitFloatingPoint = FourCC("doub");
constexpr DescType typeShortInteger = typeSInt16;
constexpr DescType typeLongInteger = typeSInt32;
constexpr DescType typeMagnitude = typeUInt32;
constexpr DescType typeType = FourCC("type");
constexpr DescType typeEnumerated = FourCC("enum");
constexpr DescType typeChar = FourCC("TEXT");
constexpr DescType typeUTF8Text = FourCC("utf8");
constexpr DescType typeUnicodeText = FourCC("utxt");
constexpr DescType typeAEList = FourCC("list");
constexpr DescType typeAERecord = FourCC("reco");
constexpr DescType typeAppleEvent = FourCC("aevt");
constexpr DescType typeFSS = FourCC("fss ");
constexpr DescType typeFSRef = FourCC("fsrf");
constexpr DescType typeFileURL = FourCC("furl");
constexpr DescType typeAlias = FourCC("alis");
constexpr DescType typeProcessSerialNumber = FourCC("psn ");
constexpr DescType typeKernelProcessID = FourCC("kpid");

// Types of Carbon event parameters.
constexpr EventParamType typeQDPoint = FourCC("QDpt");
constexpr EventParamType typeQDRectangle = FourCC("qdrt");
constexpr EventParamType typeMouseButton = FourCC("mbtn");       // UInt16
constexpr EventParamType typeMouseWheelAxis = FourCC("mwax");    // UInt16
constexpr EventParamType typeWindowRef = FourCC("wind");
constexpr EventParamType typeControlRef = FourCC("ctrl");
constexpr EventParamType typeMenuRef = FourCC("menu");
constexpr EventParamType typeHICommand = FourCC("hcmd");
constexpr EventParamType typeEventRef = FourCC("evrf");
constexpr EventParamType typeWindowPartCode = FourCC("wpar");    // SInt16
constexpr EventParamType typeClickActivationResult = FourCC("clac");  // UInt32
constexpr EventParamType typeModalClickResult = FourCC("wmcr");       // UInt32
constexpr EventParamType typeMenuItemIndex = FourCC("midx");     // UInt16
constexpr EventParamType typeMenuCommand = FourCC("mcmd");       // UInt32
constexpr EventParamType typeControlPartCode = FourCC("cprt");   // SInt16
constexpr EventParamType typeVoidPtr = FourCC("void");

// Converts a value of one plain type into another: the integer types (including the
// Boolean, 'type'/'enum' codes and the UInt16/UInt32/SInt16 event types above) and the two
// float types among themselves. Identical types copy as they are. A value that does not fit
// the wanted type (a negative number as unsigned, 70000 as SInt16, a fraction as an integer)
// fails with errAECoercionFail rather than being cut. Data is in host byte order.
OSErr CoerceValueData(DescType fromType, const void* data, size_t size, DescType toType,
                      std::vector<UInt8>* out);
