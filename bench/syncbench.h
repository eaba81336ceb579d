#pragma once

// The first sync of a generated address book with a radicale server the bench starts, a sync with
// nothing changed and a book sent to an empty collection, each beside a plain client's requests
// for the same outcome; skipped, with the reason printed, where radicale is not installed.
void runSync(int contacts = 10000);
