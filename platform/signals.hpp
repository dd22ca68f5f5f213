#pragma once
// The signals the suite takes over, and how a child it starts gives them
// back. SIGTERM, SIGINT and SIGHUP run the clean-up of platform/temporaries;
// SIGXFSZ is ignored, so that a write past a file-size limit (`ulimit -f`)
// fails with EFBIG as a write to a full disc fails, and is reported, instead
// of killing the writer beside its temporary.
//
// A forked child is a copy of this process, handlers and registry included:
// until it has called exec, a signal would run this program's clean-up in the
// child, removing this program's temporaries and putting back its old
// outputs. Every way the suite starts a program therefore goes through
// ForkChild or DefaultSignalsOnSpawn.
#include <csignal>

#include <spawn.h>
#include <sys/types.h>

namespace keld {

// The signals whose action the suite may set: the three of the clean-up,
// then SIGXFSZ.
inline constexpr int kCleanUpSignals[] = {SIGTERM, SIGINT, SIGHUP};

// True when `sig` still has its default action: neither ignored nor handled
// by anyone (the suite takes over only such signals).
bool SignalIsDefault(int sig);

// Called first thing in the main of every program of the suite: SIGXFSZ is
// ignored from then on, unless its action was already set (not the default).
void IgnoreFileSizeSignal();

// Whether a child leads a process group of its own (a batch, ended with
// whatever it starts) or stays in this program's.
enum class ChildGroup { Ours, Own };

// fork() for a child that is to exec a program: the suite's signals are
// blocked in the calling thread across the fork, and the child sets each of
// them back to the action this program started with (the default, or an
// ignore it inherited) before it unblocks them: the child runs with none of
// them blocked, also when the caller has them blocked. A signal that reaches
// the child before its exec then ends the child plainly. With ChildGroup::Own the
// group is made on both sides of the fork (so it is there whichever runs
// first) and registered with the clean-up before the parent lets its signals
// through: a batch just started is ended with this program too. Returns as
// fork() does.
pid_t ForkChild(ChildGroup group = ChildGroup::Ours);

// The same rule for posix_spawn: adds POSIX_SPAWN_SETSIGDEF and
// POSIX_SPAWN_SETSIGMASK, with their sets, to the flags already in `attr`.
void DefaultSignalsOnSpawn(posix_spawnattr_t& attr);

// Test seam: `hook` runs in each child of ForkChild right after the fork,
// while the suite's signals are still blocked (a test sends the child a
// signal there). Null (the default) for none.
void SetChildStartHookForTests(void (*hook)());

}  // namespace keld
