-- Run by arena at start-up. A game keeps its tunables and behaviour here;
-- on_frame(frame), when defined, is called once per frame.
say("arena.lua loaded: arrows or WASD move, click to jump, ` opens the console")
