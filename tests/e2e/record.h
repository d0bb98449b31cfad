// What the stand-in application records about its start, shared by the stand-in and the driver.
#pragma once

// Written beside the stand-in's executable, one "name=value" line per field.
const char kRecordFileName[] = "started.txt";

const char kFieldCommandLine[] = "command_line";
const char kFieldCurrentDirectory[] = "current_directory";
const char kFieldModule[] = "module";
const char kFieldStartupFlags[] = "startup_flags";
const char kFieldShowWindow[] = "show_window";
const char kFieldMark[] = "mark";

// The environment variable that the driver sets for the launcher and the stand-in reports.
const char kMarkVariable[] = "OSTREVAN_E2E_MARK";
const char kMarkUnset[] = "(unset)";
