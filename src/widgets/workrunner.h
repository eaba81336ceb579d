#pragma once

#include "store/progress.h"

#include <QString>
#include <functional>

class QWidget;

namespace ql {

// How a run of long work ended.
enum class WorkEnd { Finished, Cancelled };

// Runs long work on a worker thread while the event loop goes on turning. A modal dialog over
// `window`, titled `caption`, shows the work's status, its counts and a Cancel; Escape and the
// title bar's close button cancel too. The work opens the tables it uses itself, on the worker
// thread (a table's connection serves the thread that opened it); once it has ended, the open
// tables of the program's windows read what it changed. The work's questions are put to the user
// through the prompts on the window's thread while the work waits for the answer; its status texts
// reach `onStatus` there.
//
// Returns once the work has ended: Cancelled when the user cancelled it and the work gave up
// (it rolled its transaction back, so nothing was changed), Finished otherwise, also when the
// cancel came after the work's last look. A failure the work throws is thrown again here. When
// the program ends during the run, the work is cancelled and waited for.
WorkEnd runWork(QWidget* window, const QString& caption, const std::function<void(Progress&)>& work,
                const std::function<void(const QString&)>& onStatus = {});

// The tables the program's windows show read what work on another thread changed, at once rather
// than at their next move; runWork does it when its work has ended.
void followTheWork();

} // namespace ql
