// Apple events: descriptors, lists and records, Apple events with their parameters and
// attributes, the handler table, dispatch, and the events the host sends at start and end
// (open documents from the command line, quit on window close or SIGTERM).
//
// Descriptors are in-memory objects (AEDesc holds a pointer); they are never written to files.
// File specifications travel as 'fss ' descriptors whose data is the 70-byte big-endian image
// of an FSSpec (vRefNum i16, parID i32, name Str63): read them with AEGetNthFSSpec /
// AEGetParamFSSpec, or with AEGetNthPtr into a 70-byte buffer and FSSpecFromAEImage.
// 'fsrf' (FSRef), 'furl' (a file:// URL) and 'alis' (our alias records) coerce to 'fss ', and
// 'fss ' to 'fsrf' when the item exists.
//
// Main thread only, except PostQuitAppleEvent (any thread) and the signal handler.
#pragma once

#include <string>
#include <vector>

#include "platform/events/classic_events.h"
#include "platform/files/file_types.h"

using AEEventClass = FourCharCode;
using AEEventID = FourCharCode;
using AEReturnID = SInt16;
using AETransactionID = SInt32;
using AESendMode = SInt32;
using AESendPriority = SInt16;

struct OpaqueAEDataStorageType;
using AEDataStorage = OpaqueAEDataStorageType*;

struct AEDesc {
  DescType descriptorType = typeNull;
  AEDataStorage dataHandle = nullptr;
};
using AEDescList = AEDesc;
using AERecord = AEDesc;
using AEAddressDesc = AEDesc;
using AppleEvent = AEDesc;

constexpr AEEventClass kCoreEventClass = FourCC("aevt");
constexpr AEEventClass kAppearanceEventClass = FourCC("appr");
constexpr AEEventID kAEOpenApplication = FourCC("oapp");
constexpr AEEventID kAEOpenDocuments = FourCC("odoc");
constexpr AEEventID kAEPrintDocuments = FourCC("pdoc");
constexpr AEEventID kAEQuitApplication = FourCC("quit");
constexpr AEEventID kAEReopenApplication = FourCC("rapp");
constexpr AEEventID kAEAppearanceChanged = FourCC("thme");

constexpr AEKeyword keyDirectObject = FourCC("----");
constexpr AEKeyword keyErrorNumber = FourCC("errn");
constexpr AEKeyword keyEventClassAttr = FourCC("evcl");
constexpr AEKeyword keyEventIDAttr = FourCC("evid");
constexpr AEKeyword keyAddressAttr = FourCC("addr");
constexpr AEKeyword keyReturnIDAttr = FourCC("rtid");
constexpr AEKeyword keyTransactionIDAttr = FourCC("tran");
constexpr AEKeyword keyMissedKeywordAttr = FourCC("miss");

constexpr AEReturnID kAutoGenerateReturnID = -1;
constexpr AETransactionID kAnyTransactionID = 0;

enum : AESendMode {
  kAENoReply = 0x00000001,
  kAEQueueReply = 0x00000002,
  kAEWaitReply = 0x00000003,
  kAENeverInteract = 0x00000010,
  kAECanInteract = 0x00000020,
  kAEAlwaysInteract = 0x00000030,
};
enum : AESendPriority {
  kAENormalPriority = 0,
  kAEHighPriority = 1,
};
constexpr SInt32 kAEDefaultTimeout = -1;
constexpr SInt32 kNoTimeOut = -2;

// A process by serial number; {0, kCurrentProcess} is this process.
struct ProcessSerialNumber {
  UInt32 highLongOfPSN = 0;
  UInt32 lowLongOfPSN = 0;
};
constexpr UInt32 kNoProcess = 0;
constexpr UInt32 kCurrentProcess = 2;

// --- Descriptors ------------------------------------------------------------------------------

void AEInitializeDesc(AEDesc* desc);
// A descriptor holding a copy of size bytes.
OSErr AECreateDesc(DescType typeCode, const void* dataPtr, Size dataSize, AEDesc* result);
// Frees what the descriptor holds and leaves it a null descriptor. Null is fine.
OSErr AEDisposeDesc(AEDesc* desc);
OSErr AEDuplicateDesc(const AEDesc* source, AEDesc* result);
// Bytes of a plain descriptor's data (0 for lists, records and Apple events).
Size AEGetDescDataSize(const AEDesc* desc);
OSErr AEGetDescData(const AEDesc* desc, void* dataPtr, Size maximumSize);
// Converts: identical types duplicate; the plain value types convert as CoerceValueData;
// the file types as described above; anything to 'list' gives a list of one item.
// errAECoercionFail otherwise.
OSErr AECoerceDesc(const AEDesc* desc, DescType toType, AEDesc* result);
OSErr AECoercePtr(DescType typeCode, const void* dataPtr, Size dataSize, DescType toType,
                  AEDesc* result);

// --- Lists and records ---------------------------------------------------------------------

// A new empty list ('list') or record ('reco'); the factoring arguments are not used.
OSErr AECreateList(const void* factoringPtr, Size factoredSize, Boolean isRecord,
                   AEDescList* resultList);
// Items of a list, keyed items of a record or parameters of an Apple event.
OSErr AECountItems(const AEDescList* list, SInt32* count);
// index 1..count replaces; 0 or count + 1 appends; anything else errAEIllegalIndex.
OSErr AEPutPtr(AEDescList* list, SInt32 index, DescType typeCode, const void* dataPtr,
               Size dataSize);
OSErr AEPutDesc(AEDescList* list, SInt32 index, const AEDesc* desc);
// Item index (1-based) as desiredType (typeWildCard: as stored). Copies at most maximumSize
// bytes; actualSize gets the whole size. keyword gets the item's key ('****' in lists).
OSErr AEGetNthPtr(const AEDescList* list, SInt32 index, DescType desiredType,
                  AEKeyword* keyword, DescType* typeCode, void* dataPtr, Size maximumSize,
                  Size* actualSize);
OSErr AEGetNthDesc(const AEDescList* list, SInt32 index, DescType desiredType,
                   AEKeyword* keyword, AEDesc* result);
OSErr AEDeleteItem(AEDescList* list, SInt32 index);

// Keyed items of records and parameters of Apple events.
OSErr AEPutParamPtr(AppleEvent* event, AEKeyword keyword, DescType typeCode,
                    const void* dataPtr, Size dataSize);
OSErr AEPutParamDesc(AppleEvent* event, AEKeyword keyword, const AEDesc* desc);
OSErr AEGetParamPtr(const AppleEvent* event, AEKeyword keyword, DescType desiredType,
                    DescType* typeCode, void* dataPtr, Size maximumSize, Size* actualSize);
OSErr AEGetParamDesc(const AppleEvent* event, AEKeyword keyword, DescType desiredType,
                     AEDesc* result);
OSErr AEDeleteParam(AppleEvent* event, AEKeyword keyword);
inline OSErr AEPutKeyPtr(AERecord* record, AEKeyword key, DescType type, const void* data,
                         Size size) {
  return AEPutParamPtr(record, key, type, data, size);
}
inline OSErr AEPutKeyDesc(AERecord* record, AEKeyword key, const AEDesc* desc) {
  return AEPutParamDesc(record, key, desc);
}
inline OSErr AEGetKeyPtr(const AERecord* record, AEKeyword key, DescType desiredType,
                         DescType* typeCode, void* data, Size maximumSize, Size* actualSize) {
  return AEGetParamPtr(record, key, desiredType, typeCode, data, maximumSize, actualSize);
}
inline OSErr AEGetKeyDesc(const AERecord* record, AEKeyword key, DescType desiredType,
                          AEDesc* result) {
  return AEGetParamDesc(record, key, desiredType, result);
}

// --- Apple events --------------------------------------------------------------------------

// A new Apple event with its class, id, address ('addr', a copy of target), return id
// (kAutoGenerateReturnID: a fresh one) and transaction id as attributes.
OSErr AECreateAppleEvent(AEEventClass eventClass, AEEventID eventID, const AEAddressDesc* target,
                         AEReturnID returnID, AETransactionID transactionID, AppleEvent* result);
OSErr AEPutAttributePtr(AppleEvent* event, AEKeyword keyword, DescType typeCode,
                        const void* dataPtr, Size dataSize);
OSErr AEPutAttributeDesc(AppleEvent* event, AEKeyword keyword, const AEDesc* desc);
// errAEDescNotFound for an attribute the event does not have; this system never records
// missed required parameters, so 'miss' always answers errAEDescNotFound. dataPtr may be
// null with maximumSize 0 to learn the type and size.
OSErr AEGetAttributePtr(const AppleEvent* event, AEKeyword keyword, DescType desiredType,
                        DescType* typeCode, void* dataPtr, Size maximumSize, Size* actualSize);
OSErr AEGetAttributeDesc(const AppleEvent* event, AEKeyword keyword, DescType desiredType,
                         AEDesc* result);

using AEEventHandlerProcPtr = OSErr (*)(const AppleEvent* theAppleEvent, AppleEvent* reply,
                                        SRefCon handlerRefcon);
using AEEventHandlerUPP = AEEventHandlerProcPtr;
inline AEEventHandlerUPP NewAEEventHandlerUPP(AEEventHandlerProcPtr proc) { return proc; }
inline void DisposeAEEventHandlerUPP(AEEventHandlerUPP) {}

// One handler per class and id (typeWildCard matches any); installing again replaces it.
// The system flag is accepted and not used.
OSErr AEInstallEventHandler(AEEventClass eventClass, AEEventID eventID,
                            AEEventHandlerUPP handler, SRefCon handlerRefcon,
                            Boolean isSysHandler);
// errAEHandlerNotFound unless that handler is installed for that class and id.
OSErr AERemoveEventHandler(AEEventClass eventClass, AEEventID eventID,
                           AEEventHandlerUPP handler, Boolean isSysHandler);
OSErr AEGetEventHandler(AEEventClass eventClass, AEEventID eventID, AEEventHandlerUPP* handler,
                        SRefCon* handlerRefcon, Boolean isSysHandler);

// Dispatches the Apple event of a high-level event record (from WaitNextEvent or
// ConvertEventRefToEventRecord of the event being handled) to its handler: exact class and
// id first, then the wildcards. Returns the handler's result; errAEEventNotHandled when no
// handler takes it (a 'quit' without handler sends kEventAppQuit to the application);
// errAENotAppleEvent when the record names no Apple event that is waiting.
OSErr AEProcessAppleEvent(const EventRecord* theEventRecord);
// Dispatches an Apple event directly, as AEProcessAppleEvent does.
OSErr AEDispatchAppleEvent(const AppleEvent* event);

// Sends an Apple event. Only this process can be reached: an address of typeProcessSerialNumber
// {0, kCurrentProcess} or typeKernelProcessID of this process is dispatched at once (the reply,
// when not null, is made an empty record); other processes give procNotFound, other address
// types errAEUnknownAddressType. The callbacks and the time-out are not used.
OSErr AESend(const AppleEvent* event, AppleEvent* reply, AESendMode sendMode,
             AESendPriority sendPriority, SInt32 timeOutInTicks, void* idleProc,
             void* filterProc);

// Queues an Apple event (copied) as an 'eppc' Carbon event at standard priority, so that it
// reaches AEProcessAppleEvent through the event loop or WaitNextEvent.
OSErr PostAppleEvent(const AppleEvent* event);

// --- What the host sends ------------------------------------------------------------------------

// Posts one 'aevt'/'odoc' event whose direct object lists the files given on the command line
// as 'fss ' items, in order. Paths that cannot make an FSSpec (missing folder, bad name) are left
// out and the first such error is returned; an FSSpec of a missing file is kept (opening it then
// reports the error). Nothing is posted when no path is usable or the list is empty.
OSErr PostOpenDocumentsEventForPaths(const std::vector<std::string>& paths);
// Posts 'aevt'/'oapp' (start without documents).
OSErr PostOpenApplicationEvent();
// Asks for an 'aevt'/'quit' event: the host window was closed, or SIGTERM came. Any thread;
// several requests before the main thread looks give one event.
void PostQuitAppleEvent();
// SIGTERM and SIGINT post the quit event (the handler only sets a flag and wakes the loop).
// A second signal while the first one's quit still waits for the main thread (a program that
// does not answer) ends the program the default way.
void InstallQuitSignalHandlers();

// --- A quit while a modal dialog runs ----------------------------------------------------------
// A quit event that reaches a modal dialog's loop must not be lost: the dialog ends as if
// cancelled and hands the quit here (DeferQuitUntilModalEnds); every modal dialog that starts
// before the program is back outside all of them ends at once the same way (IsQuitDeferred),
// and the quit event is posted again at the first look at the queue outside every modal
// dialog, so that the program quits in order from its event loop.

// True for the classic record of an 'aevt'/'quit' event.
Boolean IsQuitAppleEventRecord(const EventRecord* event);
// The modal dialog loop's bracket (main thread; nests).
void NoteModalDialogEntered();
void NoteModalDialogLeft();
// Takes the quit event of the record (kept for AEProcessAppleEvent) and keeps it for later.
void DeferQuitUntilModalEnds(const EventRecord* quitEvent);
Boolean IsQuitDeferred();

// --- File specifications ----------------------------------------------------------------------

constexpr size_t kFSSpecImageSize = 70;
void FSSpecToAEImage(const FSSpec& fileSpec, UInt8* image70);
void FSSpecFromAEImage(const UInt8* image70, FSSpec* fileSpec);
// Item index of the list coerced to 'fss ' and decoded.
OSErr AEGetNthFSSpec(const AEDescList* list, SInt32 index, FSSpec* fileSpec);
OSErr AEGetParamFSSpec(const AppleEvent* event, AEKeyword keyword, FSSpec* fileSpec);
// Appends an FSSpec to a list as an 'fss ' item.
OSErr AEPutFSSpec(AEDescList* list, SInt32 index, const FSSpec& fileSpec);
