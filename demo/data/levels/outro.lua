-- The outro level (movie): its hooks announce themselves.

function outro_init()
    announce("outro_init")
end

function outro_update()
    return 0
end

function outro_ON_ENTER()
    announce("outro_ON_ENTER")
end

function outro_ON_LEAVE()
    announce("outro_ON_LEAVE")
end

function outro_on_hint()
    return 0
end

function outro_ON_SKIP()
    announce("outro_ON_SKIP")
    return 1
end
