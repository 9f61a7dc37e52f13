#pragma once
// Internal to high/: its own sources alone include it.
