// Document tests that read or write one stream by hand: a file of given bytes made the
// document input, or an empty file made the output stream; closed at the end of the test.
#pragma once

#include <string>

#include "platform/files/files.h"
#include "shell/base/file_access.h"
#include "song/documents/document_input.h"
#include "tests/song/documents/document_fixture.h"

namespace doc_test {

class StreamTest : public DocumentTest {
 protected:
  // Makes bytes the document input.
  void BeginInput(const std::string& bytes) {
    CloseStreamFile();
    WriteFile("stream", bytes);
    FSSpec fileSpec = FileSpecNamed("stream");
    ASSERT_EQ(noErr, FSpOpenDF(&fileSpec, fsRdPerm, &fork_));
    ASSERT_EQ(noErr, BeginDocumentInput(fork_));
  }
  // Makes an empty file the stream that writes go to (ReadFile("stream") reads it back).
  void BeginOutput() {
    CloseStreamFile();
    WriteFile("stream", "");
    FSSpec fileSpec = FileSpecNamed("stream");
    ASSERT_EQ(noErr, FSpOpenDF(&fileSpec, fsRdWrPerm, &fork_));
    BeginStream(fork_);
  }
  void CloseStreamFile() {
    if (fork_) FSClose(fork_);
    fork_ = 0;
  }
  void TearDown() override {
    CloseStreamFile();
    DocumentTest::TearDown();
  }
  int16_t fork_ = 0;
};

}  // namespace doc_test
