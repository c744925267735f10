-- Runs once when the console starts, after the game's functions exist.
greeting = "Lua " .. _VERSION:sub(5) .. " ready; try: lua con_print(add(2, 3))"
con_print(greeting)

function square(x)
    return x * x
end
