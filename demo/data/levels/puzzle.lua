-- The puzzle level (puzzle): its hooks announce themselves.

function puzzle_init()
    announce("puzzle_init")
end

function puzzle_update()
    return 0
end

function puzzle_ON_ENTER()
    announce("puzzle_ON_ENTER")
end

function puzzle_ON_LEAVE()
    announce("puzzle_ON_LEAVE")
end

function puzzle_on_hint()
    return 0
end

function puzzle_ON_SKIP()
    announce("puzzle_ON_SKIP")
    return 1
end
