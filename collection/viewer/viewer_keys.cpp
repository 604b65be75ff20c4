// collection/viewer/viewer_keys.cpp
#include "collection/viewer/viewer_keys.h"

int ViewerStepTarget(ViewerMode mode, ViewerStep step, int current, int count)
{
    if (count <= 0 || current >= count)
        return -1;
    if (current < 0) {
        if (mode == ViewerMode::Browser)
            return -1;
        if (step == ViewerStep::Previous)
            return -1;
        if (step == ViewerStep::Next)
            return 0;
    }
    switch (step) {
    case ViewerStep::Previous: return current > 0 ? current - 1 : -1;
    case ViewerStep::Next: return current < count - 1 ? current + 1 : -1;
    case ViewerStep::First: return 0;
    case ViewerStep::Last: return count - 1;
    }
    return -1;
}
