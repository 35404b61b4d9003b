-- wrk: the leaderboard page, over all models or for one of 60 models, in one of four languages,
-- asked for as a browser asks (compressed).
local languages = {"en", "zh_CN", "zh_TW", "ja"}
local headers = {["Accept-Encoding"] = "gzip, deflate, br"}

request = function()
  local model = math.random(-1, 59)
  local path = "/?lang=" .. languages[math.random(1, 4)]
  if model >= 0 then path = path .. "&model=Bench%20Phone%20" .. model end
  return wrk.format("GET", path, headers)
end
