#pragma once

// The first sync of a generated address book with a radicale server the bench starts, and a sync
// with nothing changed; skipped, with the reason printed, where radicale is not installed.
void runSync(int contacts = 10000);
