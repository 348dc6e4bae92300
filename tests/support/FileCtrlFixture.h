// Shared set-up for tests of the file-browsing controls: the application, a
// shown host form for the controls, a scratch folder tree on disk, and the
// process's current directory put back after each test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Application.h"
#include "tests/support/TestFiles.h"

class FileCtrlTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // A folder below the scratch folder (parents made as needed); returns its path.
  std::string MakeFolder(const std::string& relative, DWORD attributes = 0);
  // A folder below the scratch folder made through its Unix path, where Wine
  // does not match the name against existing ones without regard to case, so
  // that it can stand beside one whose name differs only in case, as on a
  // case-sensitive volume. False when that cannot be done.
  bool MakeCaseTwinFolder(const std::string& relative);
  // A file below the scratch folder with some bytes; returns its path.
  std::string MakeFile(const std::string& relative, DWORD attributes = 0);
  // Handles waiting messages.
  void Pump();

  ScratchFolder root_{"filectrl"};
  TForm* form_ = nullptr;  // owned by the application; destroyed in TearDown
  std::string savedDirectory_;
};
