// caption/tool_registry.cpp
// The process-wide list of mouse tools that FindTool searches.
#include "caption/box_tool.h"
#include "caption/pointer_tool.h"
#include "caption/text_box_tool.h"

#include <memory>
#include <vector>

namespace {

std::vector<std::unique_ptr<CBoxTool>> makeTools()
{
    std::vector<std::unique_ptr<CBoxTool>> tools;
    tools.push_back(std::make_unique<CPointerTool>());
    tools.push_back(std::make_unique<CTextBoxTool>());
    return tools;
}

} // namespace

CBoxTool *FindTool(int key)
{
    static const std::vector<std::unique_ptr<CBoxTool>> tools = makeTools();
    for (const auto &tool : tools) {
        if (tool->Key() == key)
            return tool.get();
    }
    return nullptr;
}
