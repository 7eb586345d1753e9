// Settings of the sample project; found through -Iinclude from compile_commands.json.
#pragma once

#define GREETING "Grüezi"
