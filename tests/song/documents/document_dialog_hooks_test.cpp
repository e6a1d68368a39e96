// Without the dialogs installed, the documents' file dialogs answer as if cancelled and the
// stop alert is not lost: it is written to stderr.
#include <gtest/gtest.h>

#include <string>

#include "song/documents/document_dialog_hooks.h"
#include "song/documents/open_dispatch.h"

namespace {

TEST(DocumentDialogHooks, NotInstalledFileDialogsCancelAndTheAlertGoesToStderr) {
  const DocumentDialogHooks installed = gDocumentDialogHooks;
  gDocumentDialogHooks = DocumentDialogHooks{};
  const OSType types[1] = {FourCC("TEXT")};
  FSSpec fileSpec{};
  bool choice = false;
  EXPECT_EQ(RunNavGetFileDialog(1, types, &fileSpec, kOpenDialogKind, 0), userCanceledErr);
  EXPECT_EQ(ChooseSaveFile(types[0], kSaveDialogKind, nullptr, &fileSpec, &choice), userCanceledErr);
  testing::internal::CaptureStderr();
  EXPECT_EQ(ShowStopAlert(kOpenFailedAlertId), 0);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("520"), std::string::npos);
  gDocumentDialogHooks = installed;
}

int16_t gShownAlert = 0;

int16_t RecordAlert(int16_t alertId) {
  gShownAlert = alertId;
  return 1;
}

TEST(DocumentDialogHooks, TheInstalledAlertIsShown) {
  const DocumentDialogHooks installed = gDocumentDialogHooks;
  gDocumentDialogHooks.showStopAlert = RecordAlert;
  EXPECT_EQ(ShowStopAlert(kOpenFailedAlertId), 1);
  EXPECT_EQ(gShownAlert, kOpenFailedAlertId);
  gDocumentDialogHooks = installed;
}

}  // namespace
