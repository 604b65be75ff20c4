// bench/quiet_observer.h
#pragma once

#include "export/export_observer.h"

// An export observer that shows nothing and answers Yes: the run's own cost.
class QuietObserver : public ExportObserver
{
  public:
    void setRange(int) override {}
    void setText(const std::string &) override {}
    void step() override {}
    bool isCancelled() override { return false; }
    OverwriteAnswer askOverwrite(const std::string &) override { return OverwriteAnswer::Yes; }
    void showMessage(const std::string &) override {}
};
