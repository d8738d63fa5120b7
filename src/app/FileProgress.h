#pragma once

// What the file loops report to the progress dialog. The loops call ProgressJob every few tens
// of milliseconds, then let pending window events run and look at stopRequested, so the
// dialog's Stop button acts between two calls.
class FileProgress
{
public:
    virtual ~FileProgress() = default;

    // Range 0..maximum, position 0. Loading calls it again once the file states its Data Number.
    virtual void initProgress(int maximum) = 0;
    virtual void ProgressJob(int position) = 0;
};
