#pragma once

class TStore;

// `--seed demo`: the twelve reference classifications, a few hundred questions with answers,
// some notices, shared addresses and reports, the member "demo" and the moderator "admin".
// Seeding a store that already holds the demo member changes nothing.
namespace DemoSeed {
bool Seed(TStore &store); // false when the store was seeded before
} // namespace DemoSeed
