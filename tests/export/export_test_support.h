// tests/export/export_test_support.h
// A scripted observer and picture helpers shared by the export run tests.
#pragma once

#include "export/export_observer.h"
#include "export/export_options.h"
#include "export/export_run.h"
#include "imagelib/core/image.h"

#include <functional>
#include <string>
#include <vector>

// Records what the run shows and answers from a script: overwrite answers
// in order (No once they run out), cancelling when cancelWhen says so.
class ScriptObserver : public ExportObserver
{
  public:
    void setRange(int count) override { range = count; }
    void setText(const std::string &text) override { texts.push_back(text); }
    void step() override { ++steps; }
    bool isCancelled() override
    {
        ++pictures;
        return cancelWhen && cancelWhen(pictures);
    }
    OverwriteAnswer askOverwrite(const std::string &path) override
    {
        asked.push_back(path);
        return next();
    }
    // Original photographs are asked about apart, answered from the same script.
    OverwriteAnswer askReplaceOriginal(const std::string &path) override
    {
        originals.push_back(path);
        return next();
    }
    OverwriteAnswer askSaveDamaged(const std::string &name, const std::string &why) override
    {
        damaged.push_back(name + ": " + why);
        return damagedAnswers.size() >= damaged.size() ? damagedAnswers[damaged.size() - 1]
                                                       : OverwriteAnswer::No;
    }
    void showMessage(const std::string &text) override { messages.push_back(text); }
    void showSummary(const std::string &text, const std::string &folder) override
    {
        messages.push_back(text);
        summaryFolder = folder;
    }
    bool idle() override { return stopWhileMaking && stopWhileMaking(); }
    void updateOptions(ExportOptions &options) override
    {
        if (changeOptions)
            changeOptions(options, pictures);
    }

    int range = -1;
    int steps = 0;
    int pictures = 0; // pictures done so far, as isCancelled counts them
    std::vector<std::string> texts;
    std::vector<std::string> asked;
    std::vector<std::string> messages;
    std::vector<std::string> originals;
    std::vector<std::string> damaged; // "name: why"
    std::string summaryFolder;
    std::vector<OverwriteAnswer> answers;
    std::vector<OverwriteAnswer> damagedAnswers;
    std::function<bool()> stopWhileMaking;
    std::function<bool(int picturesDone)> cancelWhen;
    std::function<void(ExportOptions &, int picturesDone)> changeOptions;

  private:
    OverwriteAnswer next()
    {
        const std::size_t n = asked.size() + originals.size();
        return n > answers.size() ? OverwriteAnswer::No : answers[n - 1];
    }
};

// The row of the selected-image list for the file at path.
ExportRow rowFor(const std::string &path, int rotation = 0);
// A fresh empty folder under the scratch folder.
std::string freshFolder(const std::string &name);
// Saves a width x height pattern picture as type; returns the path.
std::string writePicture(const std::string &path, int width, int height, ImageType type);
// A picture filled with one colour.
ZvImage solidPicture(int width, int height, COLORREF colour);
// The colour of pixel (x, y) counted from the top row.
COLORREF colourAt(const ZvImage &picture, int x, int y);
