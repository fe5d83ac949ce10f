#pragma once
#include <memory>

#include "ScriptedServices.h"
#include "app/ui/TMainForm.h"

namespace kelvane::test {

// A main window on the scripted services with their answers cleared, its progress the
// window's own, sized but not yet shown.
inline std::unique_ptr<ui::TMainForm> ScriptedFrame(ScriptedWorld& world) {
  world.messages = {};
  world.prompt = {};
  world.dialogs = {};
  auto frame = std::make_unique<ui::TMainForm>(nullptr);
  TServices s = world.Services();
  s.Progress = frame->ProgressWindow();
  world.jobs.progress = nullptr;
  frame->SetServices(s);
  frame->resize(1000, 700);
  return frame;
}

}  // namespace kelvane::test
