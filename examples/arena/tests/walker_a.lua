-- Player A of the two-client test: walks right to x = 400, and quits once it
-- is there and has seen B arrive at (320, 400).
local b_arrived = false

function on_peer(name, x, y)
    if name == "B" and x == 320 and y == 400 and not b_arrived then
        b_arrived = true
        say("A saw B at 320,400")
    end
end

function on_frame(frame)
    local x, y = my_pos()
    if connected() and x < 400 then
        move_to(x + 5, y)
    end
    if x >= 400 and b_arrived then
        quit(0)
    elseif frame > 6000 then
        say("A gave up waiting")
        quit(3)
    end
end
