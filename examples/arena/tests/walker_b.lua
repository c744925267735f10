-- Player B of the two-client test: walks down to y = 400, and quits once it
-- is there and has seen A arrive at (400, 240).
local a_arrived = false

function on_peer(name, x, y)
    if name == "A" and x == 400 and y == 240 and not a_arrived then
        a_arrived = true
        say("B saw A at 400,240")
    end
end

function on_frame(frame)
    local x, y = my_pos()
    if connected() and y < 400 then
        move_to(x, y + 5)
    end
    if y >= 400 and a_arrived then
        quit(0)
    elseif frame > 6000 then
        say("B gave up waiting")
        quit(3)
    end
end
