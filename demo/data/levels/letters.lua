-- The letters level (letters): its hooks announce themselves.

function letters_init()
    announce("letters_init")
end

function letters_update()
    return 0
end

function letters_ON_ENTER()
    announce("letters_ON_ENTER")
end

function letters_ON_LEAVE()
    announce("letters_ON_LEAVE")
end

function letters_on_hint()
    return 0
end

function letters_ON_SKIP()
    announce("letters_ON_SKIP")
    return 1
end
