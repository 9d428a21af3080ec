-- The intro level (movie): its hooks announce themselves.

function intro_init()
    announce("intro_init")
end

function intro_update()
    return 0
end

function intro_ON_ENTER()
    announce("intro_ON_ENTER")
end

function intro_ON_LEAVE()
    announce("intro_ON_LEAVE")
end

function intro_on_hint()
    return 0
end

function intro_ON_SKIP()
    announce("intro_ON_SKIP")
    return 1
end
