// tests/acquire/test_dsm/test_dsm.h
#pragma once

// What the scriptable test manager's one source does in the next session.
struct ZvTestScript
{
    int pages = 3;            // pages the source has
    int dib = 0;              // 1: hand over packed DIBs (8-bit, coloured palette) instead of TIFFs
    int checkStatusCount = 0; // > 0: refuse any other CAP_XFERCOUNT with CHECKSTATUS, report this one
    int failAt = -1;          // the transfer (0-based) that fails
    int vanishAfter = -1;     // after this many pages every call fails as if the device were gone
    int noCallback = 0;       // 1: refuse callbacks, queue notices for MSG_PROCESSEVENT
    int sources = 1;          // sources listed: "Test Source 1", "Test Source 2", ...
};

// Exported by libzvtestdsm.so next to DSM_Entry.
extern "C" {
void zvTestDsmScript(const ZvTestScript *script);
long zvTestDsmOutstandingBlocks();
// The CAP_XFERCOUNT values asked for, in order; returns how many (at most max).
int zvTestDsmCountsAsked(int *out, int max);
// The source opened last (1-based), 0 none.
int zvTestDsmOpenedSource();
}
