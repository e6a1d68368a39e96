#include "plugins/host/plugin_editor_calls.h"

#include <utility>

#include "platform/events/classic_events.h"
#include "platform/events/key_codes.h"
#include "platform/resources/resource_manager.h"
#include "platform/windows/windows.h"
#include "plugins/host/audio_unit_listeners.h"
#include "plugins/host/plugin_host_hooks.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_parameters.h"
#include "plugins/host/vst_dispatch.h"
#include "plugins/host/vst_host_callback.h"
#include "plugins/library/plugin_table.h"
#include "shell/base/app_state.h"

namespace {

constexpr uint32_t kMoreInPluginIdle = 1u << 28;
// Application-state word 5: a plug-in editor tracks the mouse.
constexpr int kMouseTrackingWord = 5;
constexpr uint16_t kPluginMouseTracking = 0x40;

bool EditorOpen(const PluginInstance* instance) {
  return instance != nullptr && instance->effect != nullptr &&
         (instance->stateFlags & kPluginStateEditorOpen);
}

// The plug-in's own resource file is current during a call into its editor (when it has
// one), the application's again after it.
class PluginResources {
 public:
  explicit PluginResources(const PluginInstance* instance) : saved_(CurResFile()) {
    const PluginInfo* info = PluginInfoAt(int32_t(instance->tableIndex));
    if (info != nullptr && info->resRefNum > 0) UseResFile(info->resRefNum);
  }
  ~PluginResources() { UseResFile(saved_); }
  PluginResources(const PluginResources&) = delete;
  PluginResources& operator=(const PluginResources&) = delete;

 private:
  SInt16 saved_;
};

VstIntPtr EditorCall(PluginInstance* instance, VstInt32 opcode, VstInt32 index = 0,
                     VstIntPtr value = 0, void* ptr = nullptr) {
  PluginResources resources(instance);
  return CallVstDispatcher(instance, opcode, index, value, ptr, 0.0f);
}

bool IsShiftKeyHeld() { return (GetCurrentKeyModifiers() & shiftKey) != 0; }

void ResetMixerRedrawRange() {
  if (auto reset = gAudioUnitListenerHooks.resetMixerRedrawRange) reset();
}

}  // namespace

int32_t OpenVstEditor(PluginInstance* instance, OpaqueWindowPtr* window, void* nativeParent, bool resizeWindow) {
  if (instance == nullptr || instance->effect == nullptr) return -1;
  if (!(instance->effect->flags & kEffFlagsHasEditor)) return -1;
  instance->editorWindow = window;
  instance->stateFlags |= kPluginStateEditorOpen;
  EditorCall(instance, kEffEditOpen, 0, 0, nativeParent);
  Rect editor;
  if (window != nullptr && (resizeWindow || IsShiftKeyHeld()) && GetVstEditorRect(instance, &editor) &&
      editor.right > editor.left && editor.bottom > editor.top)
    SizeWindow(window, int16_t(editor.right - editor.left), int16_t(editor.bottom - editor.top), true);
  return 0;
}

bool GetVstEditorRect(PluginInstance* instance, Rect* rect) {
  if (!EditorOpen(instance) || rect == nullptr) return false;
  ERect* given = nullptr;
  EditorCall(instance, kEffEditGetRect, 0, 0, &given);
  if (given == nullptr) return false;
  rect->top = given->top;
  rect->left = given->left;
  rect->bottom = given->bottom;
  rect->right = given->right;
  if (rect->bottom < rect->top) std::swap(rect->top, rect->bottom);
  return true;
}

void DrawVstEditor(PluginInstance* instance, const Rect* bounds) {
  if (!EditorOpen(instance) || bounds == nullptr) return;
  Rect editor;
  Rect drawn = *bounds;
  if (GetVstEditorRect(instance, &editor) && !(editor == *bounds)) {
    int16_t width = int16_t(editor.right - editor.left), height = int16_t(editor.bottom - editor.top);
    bool smaller = width <= bounds->right - bounds->left && height <= bounds->bottom - bounds->top;
    if (!smaller && instance->editorWindow) SizeWindow(instance->editorWindow, width, height, true);
    if (!smaller) drawn = editor;
  }
  EditorCall(instance, kEffEditDraw, 0, 0, &drawn);
}

void VstEditorMouse(PluginInstance* instance, Point where) {
  if (!EditorOpen(instance)) return;
  gAppState[kMouseTrackingWord] |= kPluginMouseTracking;
  ResetMixerRedrawRange();
  EditorCall(instance, kEffEditMouse, where.h, where.v);
  ResetMixerRedrawRange();
  gAppState[kMouseTrackingWord] &= uint16_t(~kPluginMouseTracking);
  RedrawPluginMixerRange();
}

int32_t VstEditorKey(PluginInstance* instance, int32_t character) {
  return EditorOpen(instance) ? int32_t(EditorCall(instance, kEffEditKey, 0, character)) : 0;
}

int32_t VstEditorTop(PluginInstance* instance) {
  if (instance != nullptr && instance->effect == nullptr)
    return (instance->stateFlags & kPluginStateViewOpen) ? 1 : 0;
  return EditorOpen(instance) ? int32_t(EditorCall(instance, kEffEditTop)) : 0;
}

void VstEditorSleep(PluginInstance* instance) {
  if (EditorOpen(instance)) EditorCall(instance, kEffEditSleep);
}

void CloseVstEditor(PluginInstance* instance) {
  if (!EditorOpen(instance)) return;
  EditorCall(instance, kEffEditClose);
  instance->stateFlags &= uint16_t(~kPluginStateEditorOpen);
  instance->editorWindow = nullptr;
}

void PluginIdle(PluginInstance* instance, bool wantsEditorIdle) {
  if (instance == nullptr || (instance->moreFlags & kMoreInPluginIdle)) return;
  instance->moreFlags |= kMoreInPluginIdle;
  FlushParameterNotify(instance);
  if (wantsEditorIdle && EditorOpen(instance)) {
    EditorCall(instance, kEffEditIdle);
    RefreshVstParameterCount(instance);
  }
  if (instance->effect != nullptr && (instance->stateFlags & kPluginStateNeedsIdle)) {
    if (EditorCall(instance, kEffIdle) != 1) instance->stateFlags &= uint16_t(~kPluginStateNeedsIdle);
  }
  instance->moreFlags &= ~kMoreInPluginIdle;
}
